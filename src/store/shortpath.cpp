#include "store/shortpath.h"

#include "platform/winpath.h"
#include "store/settingstable.h"
#include "store/textcodec.h"

namespace {

// Start-up keeps the game folder upper-cased, and the mapping finds each
// name without regard to case. Where several names differ only in case, the
// folder the game registered is the one meant: a path below the upper-cased
// registration takes the registered spelling back, so that it wins.
QString registeredSpelling(const QString &path)
{
    const QString registered = registeredGameFolder();
    const QString upper = upperCp1252(registered);
    const auto separator = [](QChar c) { return c == u'\\' || c == u'/'; };
    if (registered.isEmpty() || !path.startsWith(upper)
        || !(path.size() == upper.size() || separator(upper.back())
            || separator(path[upper.size()])))
        return path;
    return registered + path.mid(upper.size());
}

} // namespace

QString GetShortPath(const QString &path)
{
    return QString::fromStdString(platform::shortPath(registeredSpelling(path).toStdString()));
}

QString hostPath(const QString &windowsPath)
{
    return QString::fromStdString(
        platform::hostPath(registeredSpelling(windowsPath).toStdString()));
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
