#include "launch/shortpath.h"

#include "platform/winpath.h"

QString GetShortPath(const QString &path)
{
    return QString::fromStdString(platform::shortPath(path.toStdString()));
}

QString hostPath(const QString &windowsPath)
{
    return QString::fromStdString(platform::hostPath(windowsPath.toStdString()));
}

QString shownPath(const QString &windowsPath)
{
#ifdef Q_OS_WIN
    return windowsPath;
#else
    const QString host = hostPath(windowsPath);
    return host.isEmpty() ? windowsPath : host;
#endif
}
