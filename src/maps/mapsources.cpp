#include "maps/mapsources.h"

#include "store/settingsstore.h"
#include "store/settingstable.h"
#include "store/shortpath.h"
#include "store/textcodec.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

const QStringList &builtInMaps()
{
    static const QStringList maps {
        QStringLiteral("dm/qevcon1"),
        QStringLiteral("dm/Woxcon1"),
        QStringLiteral("dm/Woxcon2"),
        QStringLiteral("dm/Yatcon1"),
        QStringLiteral("dm/oxacon1"),
        QStringLiteral("dm/pimcon1"),
        QStringLiteral("dm/haxcon1"),
        QStringLiteral("dm/haxctb1"),
        QStringLiteral("dm/woxctb1"),
        QStringLiteral("dm/qevctb1"),
        QStringLiteral("dm/qevctb2"),
        QStringLiteral("dm/qevctb3"),
        QStringLiteral("dm/yatctb1"),
        QStringLiteral("dm/oxactb1"),
        QStringLiteral("dm/oxactb2"),
        QStringLiteral("dm/dovctb1"),
        QStringLiteral("dm/dovctb2"),
        QStringLiteral("dm/pimctb1"),
        QStringLiteral("dm/dovctf1"),
        QStringLiteral("dm/oxactf1"),
        QStringLiteral("dm/qevctf1"),
        QStringLiteral("dm/yatctf1"),
        QStringLiteral("dm/haxctf1"),
        QStringLiteral("dm/haxctf2"),
        QStringLiteral("dm/pimctf1"),
        QStringLiteral("dm/marlow"),
    };
    return maps;
}

const QStringList &mapPackMaps()
{
    static const QStringList maps {
        QStringLiteral("dm/airportdm"),
        QStringLiteral("dm/factorydm"),
        QStringLiteral("dm/qevdesertdm"),
        QStringLiteral("dm/labdm"),
        QStringLiteral("dm/plantdm"),
    };
    return maps;
}

bool mapPackInstalled(const QString &gameFolder)
{
    // The folders are found without regard to case, the file itself only
    // under its exact name.
    const QString base = hostPath(gameFolder + QStringLiteral("\\base"));
    if (base.isEmpty())
        return false;
    return QFileInfo(base + QStringLiteral("/mappack.pak")).isFile();
}

QStringList mapFileNames(const QString &pattern, bool dmFolder)
{
    const qsizetype cut
        = std::max(pattern.lastIndexOf(QLatin1Char('\\')), pattern.lastIndexOf(QLatin1Char('/')));
    const QString folder = hostPath(pattern.left(cut < 0 ? 0 : cut));
    const QString extension = pattern.mid(cut + 1).section(QLatin1Char('*'), -1);
    QStringList names;
    if (folder.isEmpty())
        return names;

    const QString prefix = dmFolder ? QStringLiteral("DM/") : QString();
    // Files only, links followed: a link to a map is a map, a dangling one
    // is not.
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        // A name that is nothing but the extension names no map.
        if (name.size() <= extension.size() || !name.endsWith(extension, Qt::CaseInsensitive))
            continue;
        names.append((prefix + name.chopped(4)).toLower());
    }
    return names;
}

QStringList availableMaps(const QString &gameFolder)
{
    QStringList maps;
    const auto appendUpper = [&maps](const QStringList &names) {
        for (const QString &name : names)
            maps.append(upperCp1252(name));
    };
    appendUpper(builtInMaps());
    if (mapPackInstalled(gameFolder))
        appendUpper(mapPackMaps());
    // Custom map names are never removed, so no entry of theirs is skipped.
    for (const NumberedEntry &entry : readNumberedList(customMapsKey, RemovedEntries::Keep))
        maps.append(upperCp1252(entry.text));
    maps += mapFileNames(gameFolder + QStringLiteral("\\USER\\MAPS\\DM\\*.BSP"), true);
    maps += mapFileNames(gameFolder + QStringLiteral("\\USER\\MAPS\\*.BSP"), false);
    std::stable_sort(maps.begin(), maps.end(),
        [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return maps;
}

qsizetype defaultMapRow(const QStringList &available)
{
    const QString stored = savedStartMap();
    const QString map = stored.isEmpty() ? QStringLiteral("DM/MARLOW") : stored;
    for (qsizetype row = 0; row < available.size(); ++row) {
        if (available.at(row).compare(map, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

QString startMap(const QStringList &available, qsizetype selectedRow)
{
    if (selectedRow >= 0 && selectedRow < available.size())
        return available.at(selectedRow).toLower();
    return available.value(1);
}
