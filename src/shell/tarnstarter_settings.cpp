// Moving the settings between the main window's controls and the store.

#include "maps/mapsources.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "store/settingstable.h"
#include "store/shortpath.h"
#include "store/storedvalues.h"
#include "ui_tarnstarter.h"

#include <QFile>
#include <QFileInfo>
#include <QStringListModel>

namespace {

QString get(const QString &name)
{
    return RegGet(hkeyLocalMachine, launcherKey, name);
}

void put(const QString &name, const QString &text)
{
    rEGpUT(hkeyLocalMachine, launcherKey, name, text);
}

} // namespace

void TarnStarter::connectSelfSavingBoxes()
{
    for (const StoredSetting &setting : storedSettings()) {
        if (setting.saved != Saved::OnEveryChange)
            continue;
        auto *box = findChild<QCheckBox *>(QLatin1String(setting.control));
        connect(box, &QCheckBox::stateChanged, this, [box, &setting] {
            put(QLatin1String(setting.valueName), storedCheck(setting, box->checkState()));
        });
    }
}

void TarnStarter::LoadSettings()
{
    for (const StoredSetting &setting : storedSettings()) {
        if (!setting.loaded)
            continue;
        const QString stored = get(QLatin1String(setting.valueName));
        const QString control = QLatin1String(setting.control);
        if (auto *box = findChild<QCheckBox *>(control))
            box->setCheckState(checkStateFromStored(stored));
        else
            findChild<QLineEdit *>(control)->setText(textFromStored(setting, stored));
    }

    // Selecting the game type applies its options just as a click would,
    // also when it is the type already selected.
    const int gameTypeIndex = gameTypeIndexFromStored(get(QStringLiteral("Game_Type")));
    if (ui->Option1->checkedId() == gameTypeIndex)
        Option1_Click(gameTypeIndex);
    else
        ui->Option1->button(gameTypeIndex)->setChecked(true);

    BuildList();
    ui->List1->setCurrentIndex(availableMapsModel->index(int(defaultMapRow(listedMaps()))));

    // The stored flags win over what the game type set, even on boxes the
    // game type disabled.
    for (int number = 1; number <= 16; ++number)
        dmFlagBox(number)->setCheckState(
            checkStateFromStored(RegGet(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number))));
}

void TarnStarter::SaveSettings()
{
    // A file of that name was left by older versions of the launcher; it is
    // named without a separator after the game folder.
    const QString oldConfig = hostPath(ui->Text1->text() + QStringLiteral("TarnStarter.cfg"));
    if (!oldConfig.isEmpty() && QFileInfo(oldConfig).isFile())
        QFile::remove(oldConfig);

    const int gameTypeIndex = ui->Option1->checkedId();
    put(QStringLiteral("Game_Type"),
        gameTypeIndex < 0 ? QString() : QString::number(gameTypeIndex));
    for (int number = 1; number <= 16; ++number)
        rEGpUT(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number),
            storedCheckText(dmFlagBox(number)->checkState(), true));

    for (const StoredSetting &setting : storedSettings()) {
        if (setting.saved != Saved::ByExit)
            continue;
        const QString control = QLatin1String(setting.control);
        const QString name = QLatin1String(setting.valueName);
        if (auto *box = findChild<QCheckBox *>(control))
            put(name, storedCheck(setting, box->checkState()));
        else
            put(name, storedText(setting, findChild<QLineEdit *>(control)->text()));
    }

    const QString map = selectedMap();
    put(QStringLiteral("Default_Map"), map.isEmpty() ? QStringLiteral("dm/marlow") : map);
}
