#pragma once

// `tarnctl start --foreground`: runs the server as a child, passes its
// output on with timestamps, polls it as the monitor does, restarts it after
// a crash or a hang when asked, and takes it down, with all it started,
// when stopped.

#include "logfile.h"
#include "options.h"
#include "outputqueue.h"
#include "restartpolicy.h"
#include "statuspoll.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <functional>
#include <memory>

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
    QString logFile; // output goes here, bounded in size, the previous kept as .1
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

    // A line of tarnctl's own, stamped, where the server's output goes;
    // never blocks. For what watches along with the supervisor too.
    void say(const QString &text);

signals:
    // The server answered a status poll for the first time.
    void firstAnswer();
    // Each whole reply to a status poll, as text.
    void answered(const QByteArray &statusReply);
    // The server process has ended (whatever follows).
    void serverEnded();

private:
    bool startServer(bool again);
    void writePidFile();
    void onServerFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void clearGroup();
    void checkGroup();
    void afterEnd();
    void restartLater(RestartPolicy::Duration ran);
    void stop(int signalNumber);
    void noteAnswer(const QByteArray &reply);
    void stopHungServer();
    void keepAlive();
    void pass(bool errors, QByteArray &pending, const QByteArray &bytes, bool whole);
    void put(bool errors, const QByteArray &line);
    void finish(int status);

    SupervisedServer settings;
    SupervisorFiles files;
    bool restart;
    RestartPolicy policy;
    StatusPoll statusPoll;
    QProcess server;
    // The last server's process id, which names its group too.
    qint64 serverId = 0;
    QTimer restartTimer;
    QTimer killTimer;
    QTimer groupTimer;
    QTimer watchdogTimer;
    QElapsedTimer running;
    QElapsedTimer clearing;
    QEventLoop loop;
    QByteArray lastStatus;
    bool stopping = false;
    bool hung = false;
    bool answeredOnce = false;
    // How the last server ended, for what follows once its group is gone.
    bool crashed = false;
    int exitCode = 0;
    std::unique_ptr<LogFile> log;
    std::unique_ptr<OutputQueue> standardOutput;
    std::unique_ptr<OutputQueue> standardError;
    QByteArray pendingOutput;
    QByteArray pendingErrors;
};

} // namespace tarnctl
