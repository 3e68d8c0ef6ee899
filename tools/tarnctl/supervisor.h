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

namespace tarnctl {

class Supervisor : public QObject
{
    Q_OBJECT

public:
    Supervisor(const QString &gameFolder, const QString &shortFolder, const QString &arguments,
        const Options &options);
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
