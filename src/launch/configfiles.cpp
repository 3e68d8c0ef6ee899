#include "launch/configfiles.h"

#include "launch/configtext.h"
#include "store/shortpath.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

namespace {

// The configuration holds the remote-console password: a new one is for
// its owner and group only.
constexpr QFileDevice::Permissions newConfigMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadGroup;

// Writes a temporary file that replaces the old one only once it is
// complete, so a crash or a full disk leaves the old file as it was. The
// flush is checked here: commit() misses a write that fails while flushing
// and would put an empty file in place of the old one. The mode is set on
// the temporary file before anything is written into it; without one, an
// existing file keeps its own. Returns why it failed, or "".
QString replaceFile(
    const QString &path, const QByteArray &bytes, std::optional<QFileDevice::Permissions> mode)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && (!mode || file.setPermissions(*mode))
        && file.write(bytes) == bytes.size() && file.flush() && file.commit())
        return {};
    return file.errorString();
}

bool writeAll(QFile &file, const QByteArray &bytes)
{
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

QString writeConfiguration(
    const QString &gameFolder, const QString &shortFolder, const QByteArray &text)
{
    const QString config = hostPath(shortFolder + QStringLiteral("\\USER\\Dedicated.cfg"));
    const QString backup = hostPath(shortFolder + QStringLiteral("\\USER\\Dedicated.bak"));
    const QString shownConfig = shownPath(gameFolder + QStringLiteral("\\USER\\Dedicated.cfg"));
    if (shortFolder.isEmpty() || config.isEmpty() || backup.isEmpty())
        return QStringLiteral("%1 could not be written: the folder does not exist.")
            .arg(shownConfig);
    QFile previous(config);
    const bool hadConfig = QFileInfo::exists(config);
    if (previous.open(QIODevice::ReadOnly)) {
        // The backup holds the same password, so it keeps the same mode.
        const QString reason = replaceFile(backup, previous.readAll(), previous.permissions());
        // Windows replaces no file that is still open, even by ourselves.
        previous.close();
        if (!reason.isEmpty())
            return QStringLiteral("The backup %1 could not be written (%2), so %3 was left as it "
                                  "was.")
                .arg(shownPath(gameFolder + QStringLiteral("\\USER\\Dedicated.bak")), reason,
                    shownConfig);
    } else if (hadConfig) {
        // The backup of a configuration that is there but cannot be read
        // is all that is left of it.
        return QStringLiteral("%1 could not be read (%2), so it was left as it was.")
            .arg(shownConfig, previous.errorString());
    } else {
        QFile::remove(backup);
    }
    const QString reason
        = replaceFile(config, text, hadConfig ? std::nullopt : std::optional(newConfigMode));
    if (!reason.isEmpty())
        return QStringLiteral("%1 could not be written: %2.").arg(shownConfig, reason);
    return {};
}

bool writeMapFiles(const QString &gameFolder, const QStringList &cycle)
{
    const QString listPath
        = hostPath(gameFolder + QStringLiteral("\\USER\\MAPLISTS\\TarnStarter.lst"));
    if (!listPath.isEmpty())
        QFile::remove(listPath);
    QFile listFile(listPath);
    QFile nameFile(hostPath(gameFolder + QStringLiteral("\\TarnStarter.map")));
    return !listPath.isEmpty() && listFile.open(QIODevice::WriteOnly)
        && !nameFile.fileName().isEmpty()
        && nameFile.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && writeAll(nameFile, mapNameFile(cycle)) && writeAll(listFile, mapCycleFile(cycle));
}
