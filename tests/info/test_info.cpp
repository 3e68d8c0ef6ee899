// The Help and command texts as their windows show them, and the About
// window's way to the system information viewer through the registry.

#include "info/sysinfo.h"
#include "platform/registry.h"
#include "shell/frmabout.h"
#include "shell/frmcmdlist.h"
#include "shell/frmhelp.h"
#include "shell/singlewindow.h"
#include "support/gui.h"
#include "support/storevalues.h"

#include <QPlainTextEdit>
#include <QTest>

namespace {

const char *const msinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const char *const locationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

QStringList shownLines(const QWidget &window)
{
    return window.findChild<QPlainTextEdit *>("Text1")->toPlainText().split(u'\n');
}

} // namespace

class TestInfo : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        store = std::make_unique<TestStore>();
        messages.clear();
    }

    void textsKeepTheirLineBreaks()
    {
        // Help: an empty line between two steps and nothing after the last.
        const QStringList help = shownLines(frmHelp());
        QVERIFY(help.size() == 7 && help[1].isEmpty() && help[3].isEmpty() && help[5].isEmpty());
        QCOMPARE(help[6], QStringLiteral("Really people .. its not that hard."));
        // Commands: every line ended, runs of blanks and quotes kept.
        const QStringList commands = shownLines(frmCmdlist());
        QVERIFY(commands.size() == 23 && commands.last().isEmpty());
        QCOMPARE(commands[14], QStringLiteral("kick \"name of player\"  -  kicks the player "));
    }

    void getKeyValue()
    {
        // A string's closing zero goes, and so does a value over 1024 bytes.
        const std::string full(1023, 'a');
        const QList<std::tuple<quint32, std::string, bool, QString>> cases
            = {{platform::regSz, "abc", true, "abc"},
                {platform::regSz, full + '\0', true, QString::fromStdString(full)},
                {platform::regSz, full + "a" + '\0', false, ""},
                {platform::regDword, "\xFF\xFF\xFF\xFF", true, "4294967295"},
                {platform::regBinary, "/bin/true", true, "before"}};
        for (const auto &[type, data, found, value] : cases) {
            putValue(msinfoKey, "PATH", data, type);
            QString text = QStringLiteral("before");
            QCOMPARE(GetKeyValue(platform::hkeyLocalMachine, msinfoKey, "path", text), found);
            QCOMPARE(text, value);
        }
        QString text = QStringLiteral("before");
        QVERIFY(
            !GetKeyValue(platform::hkeyLocalMachine, msinfoKey, "Other", text) && text.isEmpty());
    }

    // Where the About window looks for the viewer; the message when none runs.
    void sysInfoViewer()
    {
        frmAbout about;
        // The viewer that ran, as the stand-in viewer notes it in "started"
        // beside it, or the message shown.
        const QString started = store->dir.filePath("started");
        const auto ask = [&] {
            messages.clear();
            QFile::remove(started);
            about.findChild<QPushButton *>("cmdSysInfo")->click();
            const bool answered = QTest::qWaitFor(
                [&] { return !messages.isEmpty() || QFile::exists(started); }, 20000);
            if (!messages.isEmpty() || !answered)
                return messages.value(0);
            QTest::qWait(100);
            return QFileInfo(QString::fromLocal8Bit(readFile(started).trimmed()).section(' ', 0, 0))
                .fileName();
        };
        const QString unavailable = "TarnStarter|System Information Is Unavailable At This Time";
        QCOMPARE(ask(), unavailable);
        putValue(locationKey, "MSINFO", store->dir.path().toStdString());
        QCOMPARE(ask(), unavailable);
        // The viewer in that folder is found without regard to case.
        QFile::copy(toolPath("startmark"), store->dir.filePath("msinfo32.exe"));
        QCOMPARE(ask().toLower(), QString("msinfo32.exe"));
        // A PATH that reads is the only place looked at, even when it is of
        // another type or names nothing that runs.
        putValue(msinfoKey, "PATH", "/bin/true", platform::regBinary);
        QCOMPARE(ask(), unavailable);
        writeFile(store->dir.filePath("plain"), "no program");
        putValue(msinfoKey, "PATH", store->dir.filePath("plain").toStdString());
        QCOMPARE(ask(), unavailable);
        QFile::copy(toolPath("startmark"), store->dir.filePath("hardinfo"));
        putValue(msinfoKey, "PATH", store->dir.filePath("hardinfo").toStdString());
        QCOMPARE(ask(), QString("hardinfo"));
    }

    // Alt+S presses "System Info...", a moment later as a click shows it;
    // Esc and Enter press OK, which closes the window.
    void keysPressTheButtons()
    {
        QPointer<frmAbout> about;
        for (Qt::Key key : {Qt::Key_S, Qt::Key_Escape, Qt::Key_Return}) {
            showSingleWindow(about);
            QVERIFY(QTest::qWaitForWindowActive(about));
            QTest::keyClick(about, key, key == Qt::Key_S ? Qt::AltModifier : Qt::NoModifier);
            QTRY_VERIFY(key == Qt::Key_S ? messages.size() == 1 : about.isNull());
        }
        QCOMPARE(messages.size(), 1);
    }

private:
    std::unique_ptr<TestStore> store;
    AnsweredMessages answered;
    QStringList &messages = answered.texts;
};

QTEST_MAIN(TestInfo)
#include "test_info.moc"
