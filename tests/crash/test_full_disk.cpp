// A full disk while the settings are saved and while the server is launched:
// nothing crashes, nothing stored before is lost, the store still opens (for
// a program started while the disk is full, too), and once there is room
// again everything works as before.

#include "crashtools.h"
#include "shell/messagebox.h"
#include "shell/tarnstarter.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>

using namespace crash;

namespace {

// A folder whose file system can be filled up. Where this process may mount,
// it is a 1 MiB tmpfs in a mount namespace of its own, which goes away with
// the process; elsewhere a file size limit of 0 stands in for a full disk.
class SmallDisk
{
public:
    SmallDisk()
    {
        mounted = unshare(CLONE_NEWNS) == 0
            && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
            && mount("tarn-small-disk", root.path().toLocal8Bit().constData(), "tmpfs", 0,
                   "size=1m,mode=0700")
                == 0;
        if (!mounted)
            qInfo("no tmpfs can be mounted here: a file size limit of 0 stands in for a full disk");
    }

    ~SmallDisk()
    {
        release();
        if (mounted)
            umount2(root.path().toLocal8Bit().constData(), MNT_DETACH);
    }

    QString path() const { return root.path(); }

    void fill()
    {
        if (mounted) {
            // Down to single bytes, so that not even a partial page is left.
            const int fd = ::open(filler().toLocal8Bit().constData(),
                O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
            static const char chunk[65536] = {};
            for (std::size_t size = sizeof chunk; fd >= 0 && size > 0; size /= 2) {
                while (::write(fd, chunk, size) > 0) { }
            }
            ::close(fd);
        } else {
            std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit none = saved;
            none.rlim_cur = 0;
            limited = setrlimit(RLIMIT_FSIZE, &none) == 0;
        }
    }

    void release()
    {
        if (mounted)
            QFile::remove(filler());
        else if (limited)
            setrlimit(RLIMIT_FSIZE, &saved);
        limited = false;
    }

private:
    QString filler() const { return root.filePath(QStringLiteral("filler")); }

    QTemporaryDir root;
    bool mounted = false;
    bool limited = false;
    rlimit saved {};
};

// The text boxes the full save writes, with their value names.
const std::pair<const char *, const char *> savedTexts[] = {
    {"Text4", "Frag_Limit"},
    {"Text6", "Time_Limit"},
    {"Text7", "Max_Clients"},
    {"Text10", "Control_Limit"},
    {"Text9", "CTF_Loops"},
    {"Text2", "Host_Name"},
    {"Text3", "Welcome_Mess"},
    {"Text5", "Server_Port"},
    {"Text12", "svsuicidepenalty"},
    {"Text11", "gmovescale"},
    {"Text13", "svreconnectlimit"},
    {"Text14", "sv_gravity"},
    {"Text15", "password"},
    {"Text16", "rcon_pw"},
};

// Types `stamp` plus the value's name into every saved text box and returns
// the texts by value name.
QMap<QString, QString> typeEverywhere(TarnStarter &window, const QString &stamp)
{
    QMap<QString, QString> typed;
    for (const auto &[control, valueName] : savedTexts) {
        const QString text = stamp + QLatin1Char(' ') + QLatin1String(valueName);
        window.findChild<QLineEdit *>(QLatin1String(control))->setText(text);
        typed.insert(QLatin1String(valueName), text);
    }
    return typed;
}

// Every value stored before is still there, as it was or as newly typed.
bool nothingLost(const QMap<QString, QString> &before, const QMap<QString, QString> &typed,
    const QMap<QString, QString> &now)
{
    for (auto value = before.cbegin(); value != before.cend(); ++value) {
        const QString found = now.value(value.key(), QStringLiteral("<missing>"));
        if (found != value.value() && found != typed.value(value.key())) {
            qWarning("%s: stored %s, now %s", qPrintable(value.key()), qPrintable(value.value()),
                qPrintable(found));
            return false;
        }
    }
    return true;
}

QString launchWelcome(TarnStarter &window, const QString &welcome)
{
    window.findChild<QLineEdit *>(QStringLiteral("Text3"))->setText(welcome);
    window.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    return QStringLiteral("\"%1\"").arg(welcome);
}

} // namespace

class TestFullDisk : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void saveOnAFullDiskLosesNothing();
    void launchOnAFullDiskLosesNothing();

private:
    QString startFolder;
};

void TestFullDisk::init()
{
    startFolder = QDir::currentPath();
    setMessageBoxAnswerer(
        [](QMessageBox::Icon, const QString &, const QString &) { return int(QMessageBox::Ok); });
}

// The launch makes the game folder current.
void TestFullDisk::cleanup()
{
    QDir::setCurrent(startFolder);
    setMessageBoxAnswerer({});
}

void TestFullDisk::saveOnAFullDiskLosesNothing()
{
    SmallDisk disk;
    qputenv("TARNSTARTER_REGISTRY", (disk.path() + QStringLiteral("/registry.db")).toLocal8Bit());
    TarnStarter window;
    typeEverywhere(window, QStringLiteral("before"));
    window.SaveSettings();
    const QMap<QString, QString> before = storedValues();
    QCOMPARE(before.value(QStringLiteral("Welcome_Mess")), QStringLiteral("before Welcome_Mess"));

    disk.fill();
    const QMap<QString, QString> typed = typeEverywhere(window, QString(200, QLatin1Char('n')));
    window.SaveSettings();
    const QMap<QString, QString> whileFull = storedValues();
    QVERIFY2(!whileFull.isEmpty(), "the store does not open while the disk is full");
    QVERIFY(nothingLost(before, typed, whileFull));
    // A save that found room would prove nothing here.
    QCOMPARE(whileFull.value(QStringLiteral("Welcome_Mess")), before.value("Welcome_Mess"));

    disk.release();
    QVERIFY(nothingLost(before, typed, storedValues()));
    window.SaveSettings();
    const QMap<QString, QString> after = storedValues();
    for (auto value = typed.cbegin(); value != typed.cend(); ++value)
        QCOMPARE(after.value(value.key()), value.value());
}

void TestFullDisk::launchOnAFullDiskLosesNothing()
{
    SmallDisk disk;
    qputenv("TARNSTARTER_REGISTRY", (disk.path() + QStringLiteral("/registry.db")).toLocal8Bit());
    const QString game = disk.path() + QStringLiteral("/Game");
    const QString user = game + QStringLiteral("/USER");
    QVERIFY(makeGameFolder(game));
    TarnStarter window;
    window.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(game);
    const QString firstWelcome = launchWelcome(window, QStringLiteral("first"));
    const QString secondWelcome = launchWelcome(window, QStringLiteral("second"));
    const QByteArray config = fileBytes(user + QStringLiteral("/Dedicated.cfg"));
    const QByteArray backup = fileBytes(user + QStringLiteral("/Dedicated.bak"));
    QVERIFY(config.contains(secondWelcome.toLatin1()));
    QVERIFY(backup.contains(firstWelcome.toLatin1()));
    const QMap<QString, QString> before = storedValues();

    disk.fill();
    launchWelcome(window, QStringLiteral("third"));
    QCOMPARE(fileBytes(user + QStringLiteral("/Dedicated.cfg")), config);
    QCOMPARE(fileBytes(user + QStringLiteral("/Dedicated.bak")), backup);
    // Nothing half-written is left behind to take up the space.
    QCOMPARE(QDir(user).entryList(QDir::Files | QDir::Hidden, QDir::Name),
        QStringList({QStringLiteral("Dedicated.bak"), QStringLiteral("Dedicated.cfg")}));
    const QMap<QString, QString> whileFull = storedValues();
    QVERIFY2(!whileFull.isEmpty(), "the store does not open while the disk is full");
    QVERIFY(nothingLost(
        before, {{QStringLiteral("Welcome_Mess"), QStringLiteral("third")}}, whileFull));

    disk.release();
    const QString fourthWelcome = launchWelcome(window, QStringLiteral("fourth"));
    QVERIFY(fileBytes(user + QStringLiteral("/Dedicated.cfg")).contains(fourthWelcome.toLatin1()));
    QCOMPARE(fileBytes(user + QStringLiteral("/Dedicated.bak")), config);
    QCOMPARE(storedValues().value(QStringLiteral("Welcome_Mess")), QStringLiteral("fourth"));
}

QTEST_MAIN(TestFullDisk)
#include "test_full_disk.moc"
