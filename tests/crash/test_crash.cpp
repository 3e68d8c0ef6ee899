// The launcher killed outright at random moments, and a full disk: every
// write reported finished is kept, nothing stored before is lost, the store
// still opens, and Dedicated.cfg and its backup are always whole
// configurations. The program is also the helper that gets killed.

#include "support/gui.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#include <utility>

namespace {

// --helper save FIRST | --helper launch FIRST FOLDER [LAST]
// "save" saves the settings over and over with the counter in the frag limit
// (saved first) and the welcome message (saved near the end); "launch"
// presses "Go" in FOLDER with the round in the welcome message. Each counter
// is printed once its save or launch has returned.
int runHelper(const QStringList &arguments)
{
    AnsweredMessages answered;
    TarnStarter window;
    const auto text = [&window](const char *name) { return window.findChild<QLineEdit *>(name); };
    const bool launch = arguments[2] == "launch";
    text("Text1")->setText(arguments.value(4));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("ready\n");
    const long long last = arguments.value(5, "999999999").toLongLong();
    for (long long counter = arguments[3].toLongLong(); counter <= last; ++counter) {
        text("Text3")->setText((launch ? "round " : "") + QString::number(counter));
        if (launch) {
            window.findChild<QPushButton *>("Command1")->click();
        } else {
            text("Text4")->setText(QString::number(counter));
            window.SaveSettings();
        }
        std::printf("%lld\n", counter);
    }
    return 0;
}

// Starts the helper and, once it has printed "ready", kills it outright `us`
// microseconds later, or that long after the next change of `file` when one
// is given, which aims at the moment the file is being written. Slower
// builds (under the sanitizers) stretch the wait by TARN_TIME_SCALE. Returns
// the last counter the helper printed in full, `before` when none.
long long killAfter(
    const QStringList &arguments, long long before, qint64 us, const QString &file = {})
{
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), arguments);
    QByteArray printed;
    while (!printed.contains("ready\n") && process.waitForReadyRead(60000))
        printed += process.readAllStandardOutput();
    const auto state
        = [&file] { return std::pair(QFileInfo(file).size(), QFileInfo(file).lastModified()); };
    const auto old = state();
    while (!file.isEmpty() && state() == old && process.state() == QProcess::Running)
        process.waitForReadyRead(0);
    const QDeadlineTimer deadline(
        std::chrono::microseconds(us * qMax(1, qEnvironmentVariableIntValue("TARN_TIME_SCALE"))),
        Qt::PreciseTimer);
    // The last millisecond is spun away.
    while (!deadline.hasExpired() && process.state() == QProcess::Running)
        process.waitForReadyRead(int(deadline.remainingTimeNSecs() / 1000000));
    process.kill();
    process.waitForFinished(60000);
    printed += process.readAllStandardOutput();
    // A line cut short by the kill is left out.
    for (const QByteArray &line : printed.left(qMax(0, printed.lastIndexOf('\n'))).split('\n'))
        before = line.toLongLong() > 0 ? line.toLongLong() : before;
    return before;
}

// The launcher's main key as a process started now reads it: name -> text.
// A store that does not open gives no values at all.
QMap<QString, QString> storedValues()
{
    QProcess query;
    query.start(toolPath("tarnreg"), {"query", "HKLM\\" + launcherKey});
    query.waitForFinished(60000);
    const QString output = QString::fromUtf8(query.readAllStandardOutput());
    static const QRegularExpression line(
        "^    (.+?)    REG_SZ    (.*)$", QRegularExpression::MultilineOption);
    QMap<QString, QString> values;
    for (const QRegularExpressionMatch &match : line.globalMatch(query.exitCode() ? "" : output))
        values.insert(match.captured(1), match.captured(2));
    return values;
}

QString failure(int kill, long long finished, const QString &found)
{
    return QStringLiteral("kill %1: last finished %2, found %3").arg(kill).arg(finished).arg(found);
}

// A folder, holding the store, on a 1 MiB tmpfs in a mount namespace of this
// process's own, so that it can be filled up.
class SmallDisk
{
public:
    SmallDisk()
    {
        isMounted = unshare(CLONE_NEWNS) == 0
            && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
            && mount("tarn-small-disk", QFile::encodeName(path()).constData(), "tmpfs", 0,
                   "size=1m,mode=0700")
                == 0;
        qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(path("registry.db")));
    }
    ~SmallDisk() { umount2(QFile::encodeName(path()).constData(), MNT_DETACH); }
    QString path(const QString &name = {}) const { return root.filePath(name); }
    bool mounted() const { return isMounted; }

    void fill()
    {
        const int fd = ::open(QFile::encodeName(path("filler")).constData(),
            O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        // Down to single bytes, so that not even a partial page is left.
        static const char chunk[65536] = {};
        for (std::size_t size = sizeof chunk; size > 0; size /= 2) {
            while (::write(fd, chunk, size) > 0) { }
        }
        ::close(fd);
    }
    void release() { QFile::remove(path("filler")); }

private:
    QTemporaryDir root;
    bool isMounted = false;
};

// The configuration without what differs from launch to launch: the header
// line with its date and time, and the round in the welcome message, which
// goes to *round. Empty when the text is not a whole configuration.
QByteArray withoutRound(QByteArray config, long long *round)
{
    static const QRegularExpression welcome(QStringLiteral("\"round (\\d+)\""));
    const QRegularExpressionMatch match = welcome.match(QString::fromLatin1(config));
    if (!config.startsWith("// Generated by ") || !match.hasMatch())
        return {};
    *round = match.captured(1).toLongLong();
    return config.mid(config.indexOf("\r\n")).replace(match.captured().toLatin1(), "\"round #\"");
}

} // namespace

class TestCrash : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fullDiskLosesNothing();
    void killedSettingsSaveLosesNoFinishedWrite();
    void killedLaunchLeavesWholeConfigurations();

private:
    const QString self = QCoreApplication::applicationFilePath();
    QRandomGenerator random;
};

// Kill moments are random; TARN_CRASH_SEED repeats a run that failed.
void TestCrash::initTestCase()
{
    const quint32 seed = qEnvironmentVariableIsSet("TARN_CRASH_SEED")
        ? qEnvironmentVariable("TARN_CRASH_SEED").toUInt()
        : QRandomGenerator::global()->generate();
    qInfo("TARN_CRASH_SEED=%u", seed);
    random.seed(seed);
}

// Launches on a full disk crash nothing, store nothing, lose nothing and
// leave nothing behind; the store still opens (for a program started
// meanwhile, too), and once there is room again everything works as before.
void TestCrash::fullDiskLosesNothing()
{
    MainWindow w;
    SmallDisk disk;
    if (!disk.mounted())
        QSKIP("a small file system cannot be mounted here");
    AnsweredMessages answered;
    // The launch makes the game folder current.
    const auto back = qScopeGuard([folder = QDir::currentPath()] { QDir::setCurrent(folder); });
    const QString user = disk.path("Game/USER/");
    QVERIFY(QDir().mkpath(user));
    w.open();
    w.text("Text1")->setText(disk.path("Game"));
    const auto launch = [&w](const QString &welcome) {
        w.text("Text3")->setText(welcome);
        w.click("Command1");
    };
    launch("first");
    launch("second");
    const QByteArray config = readFile(user + "Dedicated.cfg");
    const QByteArray backup = readFile(user + "Dedicated.bak");
    QVERIFY(config.contains("\"second\"") && backup.contains("\"first\""));
    const QMap<QString, QString> before = storedValues();
    QCOMPARE(before.value("Welcome_Mess"), QStringLiteral("second"));

    disk.fill();
    launch("third");
    QCOMPARE(storedValues(), before);
    QCOMPARE(readFile(user + "Dedicated.cfg"), config);
    QCOMPARE(readFile(user + "Dedicated.bak"), backup);
    QCOMPARE(QDir(user).entryList(QDir::Files | QDir::Hidden, QDir::Name),
        QStringList({"Dedicated.bak", "Dedicated.cfg"}));

    disk.release();
    QCOMPARE(storedValues(), before);
    launch("fourth");
    QVERIFY(readFile(user + "Dedicated.cfg").contains("\"fourth\""));
    QCOMPARE(readFile(user + "Dedicated.bak"), config);
    QCOMPARE(storedValues().value("Welcome_Mess"), QStringLiteral("fourth"));
}

void TestCrash::killedSettingsSaveLosesNoFinishedWrite()
{
    TestStore store;
    long long frag = 0;
    long long welcome = 0;
    for (int kill = 0; kill < 100; ++kill) {
        const long long first = frag + 1;
        const long long finished = killAfter(
            {"--helper", "save", QString::number(first)}, first - 1, random.bounded(200000));
        const QMap<QString, QString> values = storedValues();
        frag = values.value("Frag_Limit").toLongLong();
        const long long previousWelcome
            = std::exchange(welcome, values.value("Welcome_Mess").toLongLong());
        // Every save writes the frag limit before the welcome message; when
        // none finished, the welcome message may still be the one before.
        QVERIFY2(!values.isEmpty() && (frag == finished || frag == finished + 1) && welcome <= frag
                && (welcome == finished || welcome == finished + 1
                    || (finished < first && welcome == previousWelcome)),
            qPrintable(failure(kill, finished,
                QStringLiteral("frag limit %1, welcome %2").arg(frag).arg(welcome))));
    }
    // Kills that always came before the first save would prove nothing.
    QVERIFY(frag > 0);
}

void TestCrash::killedLaunchLeavesWholeConfigurations()
{
    TestStore store;
    GameFolder game;
    const QString config = game.path("USER/Dedicated.cfg");
    const QString backup = game.path("USER/Dedicated.bak");
    // Long enough that the configuration takes a while to write.
    QStringList lines;
    for (int number = 1; number <= 4000; ++number)
        lines.append(QStringLiteral("set custom_%1 \"%2\"")
                         .arg(number)
                         .arg(QString(220, QLatin1Char('a' + number % 26))));
    QVERIFY(putEntries(customCommandsKey, lines));
    rEGpUT(hkeyLocalMachine, launcherKey, "UseOther", "1");

    // One launch run to its end gives the text every later one must match.
    QCOMPARE(QProcess::execute(self, {"--helper", "launch", "0", game.path(), "0"}), 0);
    long long round = -1;
    const QByteArray whole = withoutRound(readFile(config), &round);
    QCOMPARE(round, 0);
    QVERIFY(whole.size() > 4000 * 200);

    for (int kill = 0; kill < 50; ++kill) {
        // A third of the kills come at any moment of a launch, the others
        // while the backup or the configuration is being written.
        const long long finished
            = killAfter({"--helper", "launch", QString::number(round + 1), game.path()}, round,
                random.bounded(kill % 3 == 0 ? 600000 : 1500),
                QStringList {"", backup, config}[kill % 3]);
        QVERIFY2(withoutRound(readFile(config), &round) == whole,
            qPrintable(failure(kill, finished, "a configuration cut short or missing")));
        QVERIFY2(round == finished || round == finished + 1,
            qPrintable(failure(kill, finished, QStringLiteral("round %1").arg(round))));
        long long backupRound = -1;
        QVERIFY2(!QFile::exists(backup)
                || (withoutRound(readFile(backup), &backupRound) == whole && backupRound <= round),
            qPrintable(failure(kill, finished, "a backup cut short")));
    }
    QVERIFY(round > 0);
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (app.arguments().value(1) == "--helper")
        return runHelper(app.arguments());
    TestCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_crash.moc"
