// The Server Monitor against the stand-in server: a real process on a free
// loopback port, found through the store the way the launch leaves it.

#include "shell/svrmon.h"
#include "platform/process.h"
#include "store/settingsstore.h"
#include "support/teststore.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

namespace {

constexpr int patience = 15000;

quint16 freePort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

void writeConfig(const QString &folder, const QByteArray &hostname)
{
    QDir().mkpath(folder + "/USER");
    QFile file(folder + "/USER/Dedicated.cfg");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("// Test server\r\nset hostname \"" + hostname
        + "\"\r\nset rcon_password tarnpw\r\nmap DM/QEVCON1\r\n");
}

// tarnded in its own game folder, listening before the test goes on. It is
// given the launch's command line for the port box text `portText`, in which
// "%1" stands for a free port.
class Server
{
public:
    explicit Server(const QString &portText = "%1")
    {
        writeConfig(folder(), "Monitor Test");
        port = freePort();
        const QString stored = portText.arg(port);
        QStringList arguments;
        for (const std::string &argument :
            platform::splitCommandLine("+set dedicated 1 +set hostport " + stored.toStdString()))
            arguments << QString::fromStdString(argument);
        process.setWorkingDirectory(folder());
        process.start(qEnvironmentVariable("TARN_TOOLS_DIR") + "/tarnded/tarnded", arguments);
        process.waitForStarted();
        while (!output.contains("Listening on") && process.waitForReadyRead(patience))
            output += process.readAllStandardOutput();
        rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", stored);
    }

    ~Server()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(patience);
        }
    }

    QString folder() const { return dir.filePath("Game"); }

    bool printed(const QByteArray &text)
    {
        output += process.readAllStandardOutput();
        return output.contains(text);
    }

    QTemporaryDir dir;
    QProcess process;
    QByteArray output;
    quint16 port = 0;
};

QString shown(SvrMon &window)
{
    return window.findChild<QPlainTextEdit *>("Text1")->toPlainText();
}

} // namespace

class TestSvrMonTarnded : public QObject
{
    Q_OBJECT

private slots:
    void remoteConsoleSession();
    void wrongPasswordShowsTheRefusal();
};

void TestSvrMonTarnded::remoteConsoleSession()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", "tarnpw");
    // The blank after the port never reaches the server, which listens on the
    // port alone; the monitor must find it there.
    Server server("%1 ");
    QVERIFY(server.printed("Listening on 127.0.0.1:" + QByteArray::number(server.port) + "\n"));
    SvrMon window(std::make_shared<MonitorSession>());
    QCOMPARE(window.serverPort(), server.port);

    window.Timer1_Timer();
    QTRY_VERIFY_WITH_TIMEOUT(shown(window).startsWith("map: DM/QEVCON1\n"), patience);

    auto *combo = window.findChild<QComboBox *>("Combo1");
    combo->setCurrentIndex(1);
    window.Timer1_Timer();
    QTRY_VERIFY_WITH_TIMEOUT(shown(window).contains("hostname Monitor Test\n"), patience);

    auto *say = window.findChild<QLineEdit *>("Text2");
    QTest::keyClicks(say, "hello from the monitor");
    QTest::keyClick(say, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(server.printed("console: hello from the monitor\n"), patience);
    QTRY_COMPARE_WITH_TIMEOUT(
        shown(window), QString("console: hello from the monitor\n"), patience);

    writeConfig(server.folder(), "Read Again");
    QTest::mouseClick(window.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(shown(window).startsWith("execing dedicated.cfg\n"), patience);
    window.Timer1_Timer();
    QTRY_VERIFY_WITH_TIMEOUT(shown(window).contains("hostname Read Again\n"), patience);

    QTest::mouseClick(window.findChild<QPushButton *>("Command1"), Qt::LeftButton);
    QVERIFY(server.process.waitForFinished(patience));
    QCOMPARE(server.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.process.exitCode(), 0);
}

void TestSvrMonTarnded::wrongPasswordShowsTheRefusal()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", "guess");
    Server server;
    SvrMon window(std::make_shared<MonitorSession>());
    window.Timer1_Timer();
    QTRY_COMPARE_WITH_TIMEOUT(shown(window), QString("Bad rcon_password.\n"), patience);
    QVERIFY(server.process.state() == QProcess::Running);
}

QTEST_MAIN(TestSvrMonTarnded)
#include "test_svrmon_tarnded.moc"
