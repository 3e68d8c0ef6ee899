// Turning the main window into a launch form.

#include "launch/storedform.h"
#include "maps/mapsources.h"
#include "shell/tarnstarter.h"
#include "ui_tarnstarter.h"

LaunchForm TarnStarter::launchForm() const
{
    LaunchForm form;
    static_cast<LaunchSettings &>(form) = shownSettings();
    form.launcherTitle = LauncherTitle;
    form.customCommands = customCommandsOf(form);
    form.startMap = startMap(listedMaps(), selectedMapRow());
    // "Use this Maplist" decides, as it promises: the cycle is used only
    // when the box is both enabled and ticked.
    form.useMapCycle = ui->Check22->isEnabled() && form.useMapList == Qt::Checked;
    form.mapCycle = mapCycle.maps();
    return form;
}
