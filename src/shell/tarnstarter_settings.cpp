// Moving the settings between the main window's controls and the store.

#include "maps/mapsources.h"
#include "shell/settingcontrols.h"
#include "shell/tarnstarter.h"
#include "store/settingstable.h"
#include "store/shortpath.h"
#include "store/storedvalues.h"
#include "ui_tarnstarter.h"

#include <QFile>
#include <QFileInfo>
#include <QStringListModel>

void TarnStarter::connectSelfSavingBoxes()
{
    for (const StoredSetting &setting : storedSettings()) {
        if (setting.saved != Saved::OnEveryChange)
            continue;
        for (const TickControl &tick : tickControls()) {
            if (tick.field != setting.check)
                continue;
            auto *box = findChild<QCheckBox *>(QLatin1String(tick.control));
            connect(box, &QCheckBox::stateChanged, this,
                [box, field = tick.field] { saveSetting(field, box->checkState()); });
        }
    }
}

LaunchSettings TarnStarter::shownSettings() const
{
    LaunchSettings settings;
    for (const TextControl &text : textControls())
        settings.*text.field = findChild<QLineEdit *>(QLatin1String(text.control))->text();
    for (const TickControl &tick : tickControls())
        settings.*tick.field = findChild<QCheckBox *>(QLatin1String(tick.control))->checkState();
    settings.gameTypeIndex = ui->Option1->checkedId();
    for (int number = 1; number <= 16; ++number)
        settings.dmFlags[std::size_t(number - 1)] = dmFlagBox(number)->checkState();
    return settings;
}

void TarnStarter::LoadSettings()
{
    const LaunchSettings settings = loadLaunchSettings();
    for (const TextControl &text : textControls())
        findChild<QLineEdit *>(QLatin1String(text.control))->setText(settings.*text.field);
    for (const TickControl &tick : tickControls())
        findChild<QCheckBox *>(QLatin1String(tick.control))->setCheckState(settings.*tick.field);

    // Selecting the game type applies its options just as a click would,
    // also when it is the type already selected.
    if (ui->Option1->checkedId() == settings.gameTypeIndex)
        Option1_Click(settings.gameTypeIndex);
    else
        ui->Option1->button(settings.gameTypeIndex)->setChecked(true);

    BuildList();
    ui->List1->setCurrentIndex(availableMapsModel->index(int(defaultMapRow(listedMaps()))));

    // The stored flags win over what the game type set, even on boxes the
    // game type disabled.
    for (int number = 1; number <= 16; ++number)
        dmFlagBox(number)->setCheckState(settings.dmFlags[std::size_t(number - 1)]);
}

void TarnStarter::SaveSettings()
{
    // A file of that name was left by older versions of the launcher; it is
    // named without a separator after the game folder.
    const QString oldConfig = hostPath(ui->Text1->text() + QStringLiteral("TarnStarter.cfg"));
    if (!oldConfig.isEmpty() && QFileInfo(oldConfig).isFile())
        QFile::remove(oldConfig);

    saveLaunchSettings(shownSettings());
    saveStartMap(selectedMap());
}
