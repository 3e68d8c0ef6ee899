#include "launch/storedform.h"

#include "launch/configtext.h"
#include "maps/mapcycle.h"
#include "maps/mapsources.h"
#include "store/settingsstore.h"
#include "store/settingstable.h"
#include "store/storedvalues.h"
#include "store/textcodec.h"

LaunchForm launchFormFromStore()
{
    LaunchForm form;
    form.launcherTitle = launcherTitle;
    // Start-up stores the registered folder, upper-cased, as "Path" before
    // the settings load reads it back.
    const QString registered
        = upperCp1252(RegGet(hkeyLocalMachine, gameRegistrationKey, QStringLiteral("Path")));
    for (const StoredSetting &setting : storedSettings()) {
        if (!setting.loaded)
            continue;
        const QString name = QLatin1String(setting.valueName);
        const QString stored = name == QLatin1String("Path")
            ? registered
            : RegGet(hkeyLocalMachine, launcherKey, name);
        const QString control = QLatin1String(setting.control);
        if (setting.storedAs == StoredAs::Check || setting.storedAs == StoredAs::CheckWithBlank)
            form.checks.insert(control, checkStateFromStored(stored));
        else
            form.texts.insert(control, textFromStored(setting, stored));
    }
    form.checks.insert(QStringLiteral("Check19"), Qt::Checked);
    for (int number = 1; number <= 16; ++number)
        form.checks.insert(QStringLiteral("Check%1").arg(number),
            checkStateFromStored(RegGet(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number))));
    form.gameTypeIndex = gameTypeIndexFromStored(
        RegGet(hkeyLocalMachine, launcherKey, QStringLiteral("Game_Type")));

    if (form.ticked("Check26")) {
        for (const NumberedEntry &entry : readNumberedList(customCommandsKey, RemovedEntries::Skip))
            form.customCommands.append(entry.text);
    }

    const QStringList available = availableMaps(form.text("Text1"));
    form.startMap = startMap(available, defaultMapRow(available));

    // The settings load lists the maps, which enables "Use this Maplist".
    form.useMapCycle = form.ticked("Check22");
    MapCycle cycle;
    cycle.load();
    form.mapCycle = cycle.maps();
    return form;
}
