// What the platform layer does only on Linux: a private store file, Windows
// paths mapped to the host and a server started through wine.

#include "platform/iphelper_sources.h"
#include "platform/process.h"
#include "platform/winpath.h"
#include "platformtest.h"

#include <QTemporaryDir>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class LinuxPlatformTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    const QString startFolder = QDir::currentPath();
    const QByteArray searchPath = qgetenv("PATH");
    QString root() const { return QFileInfo(dir.path()).canonicalFilePath(); }
    QString rootOnZ() const { return "Z:" + root().replace('/', '\\'); }

private slots:
    void initTestCase()
    {
        for (const char *file : {"/games/tarn/user/dedicated.cfg", "/games/été/œuvre.cfg",
                 "/games/tarn/user/MAPS/dm/Qevcon1.bsp", "/c/Program Files/Tarn/tarn.exe"})
            QVERIFY(writeFile(root() + file, {}));
        QVERIFY(QDir().mkpath(root() + "/prefix/dosdevices"));
        QVERIFY(QFile::link(root() + "/c", root() + "/prefix/dosdevices/c:"));
        qputenv("WINEPREFIX", QFile::encodeName(root() + "/prefix"));
    }

    void cleanup()
    {
        QDir::setCurrent(startFolder);
        qputenv("PATH", searchPath);
    }

    void registryStoreIsPrivate()
    {
        // A new store is private, whatever the file mode mask.
        const QString store = root() + "/private/registry.db";
        qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(store));
        const mode_t savedMask = umask(0);
        QCOMPARE(putValue("SOFTWARE\\Kept", "v", "1"), errorSuccess);
        umask(savedMask);
        struct stat file, folder;
        QCOMPARE(stat(QFile::encodeName(store).constData(), &file), 0);
        QCOMPARE(stat(QFile::encodeName(QFileInfo(store).path()).constData(), &folder), 0);
        QVERIFY((file.st_mode & 0777) == 0600 && (folder.st_mode & 0777) == 0700);
    }

    void pathsFindEachComponentWithoutRegardToCase()
    {
        QCOMPARE(hostPath(str(root() + "/GAMES/TARN\\USER\\maps\\DM\\QEVCON1.BSP")),
            str(root() + "/games/tarn/user/MAPS/dm/Qevcon1.bsp"));
        QCOMPARE(
            hostPath(str(root() + "/GAMES/ÉTÉ/ŒUVRE.CFG")), str(root() + "/games/été/œuvre.cfg"));
        // Components that do not exist keep the case they were given.
        QCOMPARE(hostPath(str(root() + "//GAMES///Tarn/USER/MAPLISTS/TarnStarter.lst")),
            str(root() + "/games/tarn/user/MAPLISTS/TarnStarter.lst"));
        // Of several case variants the exact name wins, else the first in
        // byte order, however the folder lists them.
        for (const QString stem : {"été", "tarn"}) {
            const QString folder = root() + "/variants/" + stem + "/";
            for (int mask = 0; mask < 1 << stem.size(); ++mask) {
                QString name = stem;
                for (int i = 0; i < stem.size(); ++i)
                    name[i] = mask >> i & 1 ? name[i].toUpper() : name[i];
                QVERIFY(writeFile(folder + name + ".cfg", {}));
            }
            QCOMPARE(hostPath(str(folder + stem + ".CFG")), str(folder + stem.toUpper() + ".cfg"));
            QCOMPARE(hostPath(str(folder + stem + ".cfg")), str(folder + stem + ".cfg"));
        }
    }

    void pathsRelativeOrOnDrives()
    {
        // ".." and "." reach the host as they are; the short form resolves them.
        QVERIFY(QDir::setCurrent(root() + "/games"));
        QCOMPARE(
            hostPath("TARN\\USER\\..\\User\\DEDICATED.CFG"), "tarn/user/../user/dedicated.cfg");
        QCOMPARE(hostPath(".\\ÉTÉ\\..\\TARN"), "./été/../tarn");
        QCOMPARE(shortPath("TARN\\USER\\..\\..\\ÉTÉ"), str(rootOnZ() + "\\games\\été"));
        QCOMPARE(shortPath("TARN\\NOWHERE"), std::string());

        QCOMPARE(hostPath(str(rootOnZ().toLower() + "\\GAMES")), str(root() + "/games"));
        QCOMPARE(hostPath("C:\\PROGRAM FILES\\TARN\\TARN.EXE"),
            str(root() + "/prefix/dosdevices/c:/Program Files/Tarn/tarn.exe"));
        QVERIFY(hostPath("q:\\anything").empty() && shortPath("Q:\\anything").empty());
        QCOMPARE(shortPath("c:\\program files\\tarn"), "C:\\Program Files\\Tarn");
        QCOMPARE(shortPath("C:\\") + shortPath("/"), "C:\\Z:\\");
    }

    void serverStartsDetachedThroughWine()
    {
        const QString game = root() + "/Server";
        const auto program = [](const QString &path, const QByteArray &content) {
            return writeFile(path, content)
                && QFile::setPermissions(
                    path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        QVERIFY(writeFile(game + "/TARN.EXE", QByteArray("MZ\x90\0", 4)));
        QVERIFY(
            program(game + "/script", "#!/bin/sh\n") && writeFile(game + "/plain", "#!/bin/sh\n"));
        QVERIFY(program(game + "/garbage", "not a program\n"));
        // The stand-in wine writes down how it was started; a descriptor held
        // without close-on-exec would add a line before the session.
        const int leaked = fcntl(open("/dev/null", O_RDONLY | O_CLOEXEC), F_DUPFD, 40);
        const QString report = root() + "/report";
        QVERIFY(program(root() + "/bin/wine",
            QString(
                "#!/bin/sh\nPATH=/usr/bin:/bin\n"
                "io=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2 /proc/$$/fd/%1)\n"
                "{ printf '%s|' \"$@\"; echo; pwd -P; echo \"$io\"; cut -d' ' -f6 /proc/$$/stat\n"
                "  sed -n 's/^SigIgn:\t*//p' /proc/$$/status; } > %2.tmp && mv %2.tmp %2\n")
                .arg(leaked)
                .arg(report)
                .toUtf8()));

        // Relative paths mean the caller's folder. What cannot start is told
        // in plain words; neither a bare name nor wine is looked for anywhere
        // but on the search path. A signal the launcher ignores is not ignored.
        QVERIFY(QDir::setCurrent(root()));
        qputenv("PATH", QFile::encodeName(game));
        const char *const refusals[][3] = {{"script", "server", "does not exist"},
            {"server\\tarn.exe", "server", "wine is not installed"},
            {"server\\plain", "server", "not executable"},
            {"server\\garbage", "server", "could not be run"},
            {"server\\script", "server\\script", "not a folder"}};
        std::string error;
        for (const auto &[program, folder, reason] : refusals)
            QVERIFY2(
                !startDetached(program, "", folder, &error) && error.find(reason) != error.npos,
                program);
        qputenv("PATH", QFile::encodeName(root() + "/bin"));
        std::signal(SIGUSR1, SIG_IGN);
        const bool started = startDetached(
            "server\\tarn.exe", "+set dedicated 1 +set hostport 28910", "SERVER", &error);
        std::signal(SIGUSR1, SIG_DFL);
        QVERIFY2(started && error.empty(), error.c_str());
        // Nothing is left for the caller to reap.
        QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1);

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(report), 20000);
        const QStringList lines = QString(readFile(report)).split('\n');
        QCOMPARE(lines.mid(0, 5),
            QStringList({game + "/TARN.EXE|+set|dedicated|1|+set|hostport|28910|", game,
                "/dev/null", "/dev/null", "/dev/null"}));
        QVERIFY(lines.value(5).toInt() > 0 && lines.value(5).toInt() != getsid(0));
        QCOMPARE(lines.value(6).toULongLong(nullptr, 16) & (1ULL << (SIGUSR1 - 1)), 0ULL);

        // Kept in hand, the server writes its output to a file, still runs in
        // a session of its own, and its ending is known.
        QFile::remove(report);
        WatchedProcess watched;
        const QString log = root() + "/server.log";
        QVERIFY(watched.start("server\\tarn.exe", "", "SERVER", str(log), &error));
        QTRY_VERIFY_WITH_TIMEOUT(watched.ended().has_value(), 20000);
        QCOMPARE(watched.ended()->code, 0);
        const QStringList kept = QString(readFile(report)).split('\n');
        QCOMPARE(kept.mid(2, 3), QStringList({"/dev/null", log, log}));
        QVERIFY(kept.value(5).toInt() > 0 && kept.value(5).toInt() != getsid(0));
    }
    // The Linux sources of the TCP and interface tables: the kernel's TCP
    // states as the table numbers them, a listener of this test in
    // /proc/net/tcp, the loopback interface from netlink with the MTU the
    // system reports, and the link counters of /proc/net/dev in their columns.
    void tableSources()
    {
        const uint32_t states[] = {0, 5, 3, 4, 6, 7, 11, 1, 8, 10, 2, 9, 4, 0};
        for (unsigned kernel = 0; kernel < std::size(states); ++kernel)
            QCOMPARE(tcpStateFromKernel(kernel), states[kernel]);

        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(bind(listener, reinterpret_cast<sockaddr *>(&address), length) == 0
            && listen(listener, 1) == 0
            && getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0);
        std::vector<TcpRow> tcpRows;
        QVERIFY(readTcpRowsProc(tcpRows));
        close(listener);
        QVERIFY(std::any_of(tcpRows.begin(), tcpRows.end(), [&](const TcpRow &row) {
            return row.state == 2 && row.localAddr == address.sin_addr.s_addr
                && row.localPort == address.sin_port;
        }));

        std::vector<IfRow> ifRows;
        QVERIFY(readIfRowsNetlink(ifRows));
        const auto lo = std::find_if(ifRows.begin(), ifRows.end(),
            [](const IfRow &row) { return std::u16string_view(row.name.data()) == u"lo"; });
        QVERIFY(lo != ifRows.end() && lo->type == 24 && lo->adminStatus == 1);
        QCOMPARE(QByteArray::number(lo->mtu), readFile("/sys/class/net/lo/mtu").trimmed());

        const IfRow eth
            = ifRowOf(parseProcNetDev("eth0: 4294967297 10 1 2 0 0 0 4 100 7 3 5 0 0 0 0").at(0));
        QVERIFY(eth.inOctets == 1 && eth.inUcastPkts == 6 && eth.inNUcastPkts == 4);
        QVERIFY(eth.inErrors == 1 && eth.inDiscards == 2 && eth.outUcastPkts == 7);
        QVERIFY(eth.outErrors == 3 && eth.outDiscards == 5 && eth.outOctets == 100);
    }
};

} // namespace

std::string startupWindow()
{
    return {};
}

int runSystemTests(int argc, char **argv)
{
    LinuxPlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "platform_test_linux.moc"
