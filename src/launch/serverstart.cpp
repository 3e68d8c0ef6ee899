#include "launch/serverstart.h"

#include "platform/process.h"
#include "store/shortpath.h"

#include <QFile>

QString serverProgramPath(const QString &shortFolder)
{
    return shortFolder + QLatin1Char('\\') + serverProgram;
}

QString serverStartFailure(const QString &gameFolder, const QString &reason)
{
    return QStringLiteral("The server could not be started: %1.")
        .arg(reason.isEmpty() ? shownPath(gameFolder + QLatin1Char('\\') + serverProgram)
                    + QStringLiteral(" was not found")
                              : reason);
}

// By its full path, so that no other "tarn.exe" (the launcher's own folder
// among them) runs instead.
QString startWatchedServer(platform::WatchedProcess &process, const QString &gameFolder,
    const QString &shortFolder, const QString &arguments, const QString &logFile)
{
    if (shortFolder.isEmpty())
        return serverStartFailure(gameFolder, {});
    std::string error;
    if (process.start(serverProgramPath(shortFolder).toStdString(), arguments.toStdString(),
            shortFolder.toStdString(), QFile::encodeName(logFile).toStdString(), &error))
        return {};
    return serverStartFailure(gameFolder, QString::fromStdString(error));
}
