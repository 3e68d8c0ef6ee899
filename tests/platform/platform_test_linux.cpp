// What the platform layer does only on Linux: a private store file, Windows
// paths mapped to the host and a server started through wine.

#include "platform/process.h"
#include "platform/winpath.h"
#include "platformtest.h"

#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

bool fileModesStopWrites()
{
    // File modes do not stop root.
    return geteuid() != 0;
}

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
            writeFile(root() + file);
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
        QCOMPARE(put("SOFTWARE\\Kept", "v", "1"), errorSuccess);
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
                writeFile(folder + name + ".cfg");
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
        writeFile(game + "/TARN.EXE", QByteArray("MZ\x90\0", 4));
        writeFile(game + "/script", "#!/bin/sh\n", true);
        writeFile(game + "/plain", "#!/bin/sh\n");
        writeFile(game + "/garbage", "not a program\n", true);
        // The stand-in wine writes down how it was started; a descriptor held
        // without close-on-exec would add a line before the session.
        const int leaked = fcntl(open("/dev/null", O_RDONLY | O_CLOEXEC), F_DUPFD, 40);
        const QString report = root() + "/report";
        writeFile(root() + "/bin/wine",
            QString(
                "#!/bin/sh\nPATH=/usr/bin:/bin\n"
                "io=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2 /proc/$$/fd/%1)\n"
                "{ printf '%s|' \"$@\"; echo; pwd -P; echo \"$io\"; cut -d' ' -f6 /proc/$$/stat\n"
                "  sed -n 's/^SigIgn:\t*//p' /proc/$$/status; } > %2.tmp && mv %2.tmp %2\n")
                .arg(leaked)
                .arg(report)
                .toUtf8(),
            true);

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
    }
};

} // namespace

int runSystemTests(int argc, char **argv)
{
    LinuxPlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "platform_test_linux.moc"
