#pragma once

// `tarnctl start --foreground`: runs the server as a child, passes its
// output on with timestamps, restarts it after a crash when asked, and
// takes it down with itself when stopped.

#include "options.h"
#include "restartpolicy.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace tarnctl {

struct SupervisedServer
{
    QString gameFolder; // as stored/typed
    QString shortFolder; // its short form, from which the server starts
    QString arguments; // the server's command line
    quint16 port = 0; // where status polls go
    QString password; // the remote-console password sent with them
    // Writes this instance's configuration and map files again from its own
    // store; called before every restart. Returns what failed, in words, or
    // "" (then the server is started; on a failure it is not, and that
    // counts as a failed start).
    std::function<QString()> rewrite;
};

struct SupervisorFiles
{ // both empty: output to stdout/stderr, no pid file
    QString logFile; // output goes here
    QString pidFile; // the running server's process id, rewritten at each start
};

class Supervisor : public QObject
{
    Q_OBJECT

public:
    Supervisor(
        const SupervisedServer &server, const Options &options, const SupervisorFiles &files = {});
    ~Supervisor() override;

    // Watches until the server has ended for good; returns tarnctl's exit
    // status.
    int run();

private:
    bool startServer();
    void serverEnded(int exitCode, QProcess::ExitStatus exitStatus);
    void restartLater(RestartPolicy::Duration ran);
    void stop(int signalNumber);
    void pass(std::FILE *stream, QByteArray &pending, const QByteArray &bytes, bool whole);
    void say(const QString &text);
    void finish(int status);

    QString gameFolder;
    QString shortFolder;
    QString arguments;
    SupervisorFiles files;
    bool restart;
    RestartPolicy policy;
    QProcess server;
    QTimer restartTimer;
    QTimer killTimer;
    QElapsedTimer running;
    QEventLoop loop;
    bool stopping = false;
    QByteArray pendingOutput;
    QByteArray pendingErrors;
};

} // namespace tarnctl
