#include "shell/frmabout.h"
#include "shell/frmcmdlist.h"
#include "shell/frmhelp.h"
#include "info/sysinfo.h"
#include "platform/registry.h"
#include "shell/messagebox.h"
#include "shell/singlewindow.h"
#include "support/teststore.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

namespace {

const QString msinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString locationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString unavailable = QStringLiteral("System Information Is Unavailable At This Time");

void putValue(const QString &keyPath, const QString &name, std::uint32_t type, QByteArray data)
{
    platform::Key key = 0;
    platform::regCreateKey(platform::hkeyLocalMachine, keyPath.toStdString(), &key);
    if (type == platform::regDword) {
        const quint32 number = data.toUInt();
        data = QByteArray(reinterpret_cast<const char *>(&number), 4);
    }
    platform::regSetValue(key, name.toStdString(), type,
        reinterpret_cast<const std::uint8_t *>(data.constData()), std::uint32_t(data.size()));
    platform::regCloseKey(key);
}

// A viewer that leaves a mark when it runs, so a test can tell it started.
void writeViewer(const QString &path, const QString &marker, bool executable)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
    file.close();
    file.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                   : QFile::ReadOwner | QFile::WriteOwner);
}

QStringList shownLines(const QWidget *window)
{
    const auto *box = window->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    QStringList lines;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}

} // namespace

class TestInfo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void textsKeepTheirLineBreaks();
    void getKeyValue_data();
    void getKeyValue();
    void sysInfoUnavailable_data();
    void sysInfoUnavailable();
    void sysInfoStartsTheViewer();
    void keysPressTheButtons();
    void everyWindowOpensOnce();

private:
    std::unique_ptr<TestStore> store;
    QStringList messages;
    QTemporaryDir work;
};

void TestInfo::init()
{
    store = std::make_unique<TestStore>();
    messages.clear();
    setMessageBoxAnswerer([this](QMessageBox::Icon, const QString &title, const QString &text) {
        messages.append(title + QLatin1Char('|') + text);
        return int(QMessageBox::Ok);
    });
}

void TestInfo::cleanup()
{
    setMessageBoxAnswerer({});
    store.reset();
}

void TestInfo::textsKeepTheirLineBreaks()
{
    // Help: an empty line between two steps and nothing after the last.
    frmHelp help;
    const QStringList helpLines = shownLines(&help);
    QCOMPARE(helpLines.size(), 7);
    QCOMPARE(helpLines[0],
        QStringLiteral("1. Copy this program to the C:\\Program Files\\Marlow\\Tarn directory "
                       "(or equivilent)"));
    QVERIFY(helpLines[1].isEmpty() && helpLines[3].isEmpty() && helpLines[5].isEmpty());
    QCOMPARE(helpLines[6], QStringLiteral("Really people .. its not that hard."));

    // Command list: every line ended, runs of blanks and quotes kept.
    frmCmdlist list;
    const QStringList lines = shownLines(&list);
    QCOMPARE(lines.size(), 23);
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(lines[7],
        QStringLiteral("filter_add  xx.xxx.xxx.xxx  - bans this IP from joining your server"));
    QCOMPARE(lines[14], QStringLiteral("kick \"name of player\"  -  kicks the player "));
    QCOMPARE(lines[21],
        QStringLiteral("status -  displays client information:  ID #, Name, Ping, and IP"));
}

void TestInfo::getKeyValue_data()
{
    QTest::addColumn<quint32>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");
    const QByteArray over(1024, 'a');
    QTest::newRow("string") << platform::regSz << QByteArray("C:\\X\\v.exe", 11) << true
                            << "C:\\X\\v.exe";
    QTest::newRow("string without zero") << platform::regSz << QByteArray("abc") << true << "abc";
    QTest::newRow("1024 bytes") << platform::regSz << QByteArray(over.left(1023) + '\0') << true
                                << QString(1023, QLatin1Char('a'));
    QTest::newRow("over 1024 bytes") << platform::regSz << QByteArray(over + '\0') << false << "";
    QTest::newRow("double word, last byte zero")
        << platform::regDword << QByteArray("256") << true << "256";
    QTest::newRow("largest double word")
        << platform::regDword << QByteArray("4294967295") << true << "4294967295";
    QTest::newRow("binary keeps the text")
        << platform::regBinary << QByteArray("/bin/true") << true << "before";
}

void TestInfo::getKeyValue()
{
    QFETCH(quint32, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, found);
    QFETCH(QString, value);
    putValue(msinfoKey, QStringLiteral("PATH"), type, data);
    QString text = QStringLiteral("before");
    QCOMPARE(
        GetKeyValue(platform::hkeyLocalMachine, msinfoKey, QStringLiteral("path"), text), found);
    QCOMPARE(text, value);

    text = QStringLiteral("before");
    QVERIFY(!GetKeyValue(platform::hkeyLocalMachine, msinfoKey, QStringLiteral("Other"), text));
    QVERIFY(text.isEmpty());
    QVERIFY(!GetKeyValue(platform::hkeyLocalMachine, locationKey, QStringLiteral("MSINFO"), text));
    QVERIFY(!GetKeyValue(0x12345678, msinfoKey, QStringLiteral("PATH"), text));
}

void TestInfo::sysInfoUnavailable_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<quint32>("type");
    QTest::addColumn<bool>("location");
    QTest::newRow("nothing recorded") << QString() << platform::regNone << false;
    QTest::newRow("location without viewer") << QString() << platform::regNone << true;
    QTest::newRow("no such file") << "absent" << platform::regSz << true;
    QTest::newRow("not executable") << "plain" << platform::regSz << true;
    QTest::newRow("binary value") << "viewer" << platform::regBinary << true;
    QTest::newRow("double word") << "7" << platform::regDword << true;
}

void TestInfo::sysInfoUnavailable()
{
    QFETCH(QString, path);
    QFETCH(quint32, type);
    QFETCH(bool, location);
    QTemporaryDir folder;
    const QString marker = folder.filePath(QStringLiteral("started"));
    writeViewer(folder.filePath(QStringLiteral("viewer")), marker, true);
    writeViewer(folder.filePath(QStringLiteral("plain")), marker, false);
    if (type != platform::regNone)
        putValue(msinfoKey, QStringLiteral("PATH"), type,
            (type == platform::regDword ? path : folder.filePath(path)).toUtf8());
    // A PATH that reads at all is the only place looked at, even when the
    // other location would name a runnable viewer.
    if (location)
        putValue(locationKey, QStringLiteral("MSINFO"), platform::regSz, folder.path().toUtf8());
    if (type != platform::regNone)
        QFile::copy(folder.filePath(QStringLiteral("viewer")),
            folder.filePath(QStringLiteral("MSINFO32.EXE")));

    frmAbout about;
    about.StartSysInfo();
    QCOMPARE(messages, QStringList {QStringLiteral("TarnStarter|") + unavailable});
    QVERIFY(!QFile::exists(marker));
}

void TestInfo::sysInfoStartsTheViewer()
{
    // Through "Shared Tools Location", the file found without regard to case.
    const QString first = work.filePath(QStringLiteral("first"));
    writeViewer(work.filePath(QStringLiteral("msinfo32.exe")), first, true);
    putValue(locationKey, QStringLiteral("MSINFO"), platform::regSz, work.path().toUtf8());
    frmAbout about;
    about.StartSysInfo();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(first), 20000);

    // Through the viewer an operator recorded under MSINFO "PATH".
    const QString second = work.filePath(QStringLiteral("second"));
    writeViewer(work.filePath(QStringLiteral("hardinfo")), second, true);
    putValue(msinfoKey, QStringLiteral("PATH"), platform::regSz,
        work.filePath(QStringLiteral("hardinfo")).toUtf8());
    about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(second), 20000);
    QVERIFY(messages.isEmpty());
}

void TestInfo::keysPressTheButtons()
{
    QPointer<frmAbout> about;
    const auto open = [&] {
        showSingleWindow(about);
        return QTest::qWaitForWindowActive(about);
    };
    QVERIFY(open());
    QCOMPARE(about->windowTitle(), QStringLiteral("About TarnStarter"));
    // A mnemonic presses its button the way a click shows it, a moment later.
    QTest::keyClick(about, Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(messages.size(), 1);
    QVERIFY(about);

    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        QVERIFY(open());
        QTest::keyClick(about, key);
        QTRY_VERIFY(!about);
    }
    QCOMPARE(messages.size(), 1);
}

void TestInfo::everyWindowOpensOnce()
{
    QPointer<frmAbout> about;
    QPointer<frmHelp> help;
    QPointer<frmCmdlist> list;
    QWidget *first[] = {showSingleWindow(about), showSingleWindow(help), showSingleWindow(list)};
    QWidget *again[] = {showSingleWindow(about), showSingleWindow(help), showSingleWindow(list)};
    QVERIFY(std::equal(std::begin(first), std::end(first), std::begin(again)));
    QCOMPARE(QApplication::topLevelWidgets().size(), 3);
    for (QWidget *window : first) {
        QVERIFY(window->isWindow() && !window->isModal());
        window->close();
    }
    QTRY_VERIFY(!about && !help && !list);
}

QTEST_MAIN(TestInfo)
#include "test_info.moc"
