#include "platform/process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

std::string str(const QString &text)
{
    return text.toStdString();
}

void writeFile(const QString &path, const QByteArray &content, bool executable)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner
        | (executable ? QFile::ExeOwner : QFile::Permissions())));
}

// A stand-in server that writes down how it was started, then moves the
// finished report into place so that it is never read half written. It finds
// its tools whatever search path the test gave it.
QByteArray reporter(const QString &out, int watchedFd)
{
    return QString(
        "#!/bin/sh\n"
        "PATH=/usr/bin:/bin\n"
        "r='%1' io=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2 | tr '\\n' ' ')\n"
        "{ printf 'args='; printf '%s|' \"$@\"; echo\n"
        "  echo \"cwd=$(pwd -P)\"\n"
        "  echo \"sid=$(cut -d' ' -f6 /proc/$$/stat)\"\n"
        "  echo \"stdio=$io\"\n"
        "  [ -e /proc/$$/fd/%2 ] && echo leak=open\n"
        "  sed -n 's/^SigIgn:[[:space:]]*/ignored=/p' /proc/$$/status\n"
        "} > \"$r.tmp\" && mv \"$r.tmp\" \"$r\"\n")
        .arg(out)
        .arg(watchedFd)
        .toUtf8();
}

} // namespace

class ProcessTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QByteArray savedPath;
    int leakedFd = -1;

    QString root() const { return QFileInfo(dir.path()).canonicalFilePath(); }
    QString reportFile() const { return root() + "/report.txt"; }

    QMap<QString, QString> waitForReport()
    {
        QMap<QString, QString> report;
        [&] { QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(reportFile()), 20000); }();
        QFile file(reportFile());
        if (file.open(QIODevice::ReadOnly)) {
            for (const QString &line : QString::fromUtf8(file.readAll()).split('\n'))
                report.insert(line.section('=', 0, 0), line.section('=', 1));
        }
        file.remove();
        return report;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        savedPath = qgetenv("PATH");
        // A descriptor held without close-on-exec, as a socket of the
        // launcher might be: the server must not inherit it.
        leakedFd = fcntl(open("/dev/null", O_RDONLY | O_CLOEXEC), F_DUPFD, 40);
        QVERIFY(leakedFd >= 40);
        writeFile(root() + "/Games/Tarn/TARN.EXE", reporter(reportFile(), leakedFd), true);
        QVERIFY(QDir().mkpath(root() + "/empty"));
    }

    void cleanup() { qputenv("PATH", savedPath); }

    void splitsLikeWindows_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        // Each expected argument is followed by '|'.
        const char *const cases[][2] = {
            {"", ""},
            {" a\t\tb   c ", "a|b|c|"},
            {"\"C:\\Program Files\\T\" x", "C:\\Program Files\\T|x|"},
            {"a\"b c\"d e", "ab cd|e|"},
            {"a \"\" b \"\"", "a||b||"},
            {"\"a b", "a b|"},
            {"\"a\"\"b\" c", "a\"b|c|"},
            {"a\\\\b\\ c\\", "a\\\\b\\|c\\|"},
            {"a\\\\\\\"b \\\"", "a\\\"b|\"|"},
            {"\"a\\\\\" b", "a\\|b|"},
            {"\"C:\\temp\\\" x", "C:\\temp\" x|"},
        };
        for (const auto &[line, expected] : cases)
            QTest::newRow(line) << QString(line) << QString(expected);
    }

    void splitsLikeWindows()
    {
        QFETCH(QString, line);
        QString actual;
        for (const std::string &argument : splitCommandLine(str(line)))
            actual += QString::fromStdString(argument) + '|';
        QTEST(actual, "expected");
    }

    void startsDetachedInTheGameFolder_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("expected");
        QTest::newRow("port") << "28910"
                              << "+set|dedicated|1|+set|hostport|28910|";
        QTest::newRow("empty port") << ""
                                    << "+set|dedicated|1|+set|hostport|";
    }

    void startsDetachedInTheGameFolder()
    {
        QFETCH(QString, port);
        // A signal the launcher ignores must not stay ignored in the server.
        std::signal(SIGUSR1, SIG_IGN);
        std::string error = "stale";
        const QString game = "Z:" + QString(root()).replace('/', '\\') + "\\GAMES\\TARN";
        const bool started = startDetached(str(game + "\\tarn.exe"),
            "+set dedicated 1 +set hostport " + str(port), str(game.toLower()), &error);
        std::signal(SIGUSR1, SIG_DFL);
        QVERIFY2(started, error.c_str());
        QCOMPARE(error, std::string());
        // Nothing is left for the caller to reap.
        QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1);

        const auto report = waitForReport();
        QTEST(report["args"], "expected");
        QCOMPARE(report["cwd"], root() + "/Games/Tarn");
        QCOMPARE(report["stdio"], "/dev/null /dev/null /dev/null ");
        QVERIFY(!report.contains("leak"));
        QVERIFY(report["sid"].toInt() > 0 && report["sid"].toInt() != getsid(0));
        QCOMPARE(report["ignored"].toULongLong(nullptr, 16) & (1ULL << (SIGUSR1 - 1)), 0ULL);
    }

    void findsProgramsByTheirPathOnly()
    {
        writeFile(root() + "/onpath/tarn.exe", reporter(reportFile(), leakedFd), true);
        qputenv("PATH", QFile::encodeName(root() + "/onpath:") + savedPath);
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root()));
        std::string error;
        const bool bare = startDetached("tarn.exe", "", str(root()), &error);
        const bool elsewhere = startDetached(str(root() + "/empty/tarn.exe"), "", "", &error);
        // A relative path means the caller's folder, not the working one.
        const bool relative = startDetached("games\\tarn\\tarn.exe", "x", "empty", &error);
        QVERIFY(QDir::setCurrent(previous));
        QVERIFY(!bare && !elsewhere);
        QVERIFY2(relative, error.c_str());
        const auto report = waitForReport();
        QCOMPARE(report["args"], "x|");
        QCOMPARE(report["cwd"], root() + "/empty");
    }

    void refusesWhatCannotStart_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("reason");
        const QString game = root() + "/Games/Tarn";
        writeFile(root() + "/plain/tarn.exe", "#!/bin/sh\n", false);
        writeFile(root() + "/garbage/tarn.exe", "not a program\n", true);
        QTest::newRow("missing") << root() + "/nowhere/tarn.exe" << game << "does not exist";
        QTest::newRow("folder") << game << game << "is a folder";
        QTest::newRow("not executable") << root() + "/plain/tarn.exe" << game << "not executable";
        QTest::newRow("no folder") << game + "/tarn.exe" << game + "/gone"
                                   << "does not exist";
        QTest::newRow("file as folder") << game + "/tarn.exe" << game + "/tarn.exe"
                                        << "not a folder";
        QTest::newRow("exec fails") << root() + "/garbage/tarn.exe" << game << "could not be run";
    }

    void refusesWhatCannotStart()
    {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        std::string error;
        QVERIFY(!startDetached(str(program), "+set dedicated 1", str(folder), &error));
        QVERIFY2(QString::fromStdString(error).contains(reason), error.c_str());
        QVERIFY(!QFile::exists(reportFile()));
    }

    void windowsProgramsRunThroughWine()
    {
        writeFile(root() + "/win/Tarn.exe", QByteArray("MZ\x90\0", 4), false);
        // The search path is the test's own folder, first without wine, then
        // with one; a wine installed on the machine must not be found.
        qputenv("PATH", QFile::encodeName(root() + "/bin"));
        std::string error;
        QVERIFY(!startDetached(str(root() + "/WIN/tarn.exe"), "", str(root()), &error));
        QCOMPARE(
            error, str(root()) + "/WIN/tarn.exe is a Windows program and wine is not installed");

        writeFile(root() + "/bin/wine", reporter(reportFile(), leakedFd), true);
        QVERIFY2(
            startDetached(str(root() + "/WIN/tarn.exe"), "+set hostport 1", str(root()), &error),
            error.c_str());
        const auto report = waitForReport();
        QCOMPARE(report["args"], root() + "/win/Tarn.exe|+set|hostport|1|");
        QCOMPARE(report["cwd"], root());
    }
};

QTEST_GUILESS_MAIN(ProcessTest)
#include "test_process.moc"
