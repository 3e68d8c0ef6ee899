#include "launch/storedform.h"

#include "launch/configtext.h"
#include "maps/customlines.h"
#include "maps/mapcycle.h"
#include "maps/mapsources.h"
#include "store/settingstable.h"

LaunchForm launchFormFromStore()
{
    LaunchForm form;
    static_cast<LaunchSettings &>(form) = loadLaunchSettings();
    form.launcherTitle = launcherTitle;
    form.customCommands = customCommandsOf(form);

    const QStringList available = availableMaps(form.gameFolder);
    form.startMap = startMap(available, defaultMapRow(available));

    // The settings load lists the maps, which enables "Use this Maplist".
    form.useMapCycle = form.useMapList == Qt::Checked;
    MapCycle cycle;
    cycle.load();
    form.mapCycle = cycle.maps();
    return form;
}

QStringList customCommandsOf(const LaunchSettings &settings)
{
    QStringList lines;
    if (settings.useCustomCommands == Qt::Checked) {
        for (const NumberedEntry &entry : loadCustomCommands())
            lines.append(entry.text);
    }
    return lines;
}
