#include "serverprocess.h"

#include "platform/childcontrol.h"

#include <QMetaObject>
#include <QPointer>
#include <windows.h>

namespace tarnctl {

namespace {

// Set once, before the handler can run; read from the system's thread.
QPointer<QObject> stopContext;
std::function<void(int)> stopRequested;

void noteStop(int signalNumber)
{
    // The handler runs on a thread of the system's: the stop itself is done
    // in the event loop.
    QMetaObject::invokeMethod(
        stopContext.data(), [signalNumber] { stopRequested(signalNumber); }, Qt::QueuedConnection);
}

} // namespace

void prepareServerProcess(QProcess &server)
{
    // A process group of its own: Ctrl+C reaches tarnctl alone, which passes
    // it on as Ctrl+Break, the one event that can be sent to a group.
    server.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        arguments->flags |= CREATE_NEW_PROCESS_GROUP;
    });
}

void setServerArguments(QProcess &server, const QStringList &, const QString &commandLine)
{
    // Quoting the split arguments again could change what the server reads.
    server.setNativeArguments(commandLine);
}

void serverStarted(const QProcess &server)
{
    platform::tieToThisProcess(server.processId());
}

bool watchStopRequests(QObject *context, std::function<void(int)> stop)
{
    stopContext = context;
    stopRequested = std::move(stop);
    return platform::onConsoleStop(noteStop);
}

void stopWatchingStopRequests()
{
    platform::onConsoleStop(nullptr);
}

void askServerToStop(const QProcess &server, int)
{
    platform::askToStop(server.processId());
}

void killServer(QProcess &server)
{
    server.kill();
}

} // namespace tarnctl
