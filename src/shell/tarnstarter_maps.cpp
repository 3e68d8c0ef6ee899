// Step 6 of the main window: the available maps and the map cycle.

#include "maps/mapsources.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "store/textcodec.h"
#include "ui_tarnstarter.h"

namespace {

// The available-map list keeps itself in alphabetical order without regard
// to case; equal names keep the order they came in.
class MapItem : public QListWidgetItem
{
public:
    using QListWidgetItem::QListWidgetItem;
    bool operator<(const QListWidgetItem &other) const override
    {
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

void appendMaps(QListWidget *list, const QStringList &names)
{
    for (const QString &name : names)
        list->addItem(new MapItem(name));
}

QStringList upper(const QStringList &names)
{
    QStringList result;
    result.reserve(names.size());
    for (const QString &name : names)
        result.append(upperCp1252(name));
    return result;
}

} // namespace

void TarnStarter::BuildList()
{
    const QString gameFolder = ui->Text1->text();
    ui->List1->setUpdatesEnabled(false);
    ui->List1->clear();
    ui->List2->clear();

    appendMaps(ui->List1, upper(builtInMaps()));
    if (mapPackInstalled(gameFolder))
        appendMaps(ui->List1, upper(mapPackMaps()));

    mapCycle.load();
    ui->List2->addItems(mapCycle.maps());
    ui->Check22->setEnabled(true);
    showCycleCount(QStringLiteral(" Maps to cycle"));

    // Custom map names are never removed, so no entry of theirs is skipped.
    for (const NumberedEntry &entry : readNumberedList(customMapsKey, RemovedEntries::Keep))
        ui->List1->addItem(new MapItem(upperCp1252(entry.text)));

    ListFiles(gameFolder + QStringLiteral("\\USER\\MAPS\\DM\\*.BSP"), true);
    ListFiles(gameFolder + QStringLiteral("\\USER\\MAPS\\*.BSP"), false);

    ui->List1->sortItems();
    ui->List1->setCurrentRow(-1);
    ui->List1->setUpdatesEnabled(true);
    ui->Label13->setText(QString::number(ui->List1->count()) + QStringLiteral(" Maps Listed"));
}

void TarnStarter::ListFiles(const QString &Path, bool DM)
{
    appendMaps(ui->List1, mapFileNames(Path, DM));
}

void TarnStarter::Command4_Click()
{
    BuildList();
}

void TarnStarter::showCycleCount(const QString &wording)
{
    ui->Label17->setText(QString::number(ui->List2->count()) + wording);
}

void TarnStarter::Command2_Click()
{
    const QList<QListWidgetItem *> selected = ui->List1->selectedItems();
    const QString map = selected.isEmpty() ? QString() : selected.first()->text();
    if (!mapCycle.add(map))
        return;
    ui->List2->addItem(map);
    ui->Check22->setEnabled(true);
    showCycleCount(QStringLiteral(" maps to cycle."));
}

void TarnStarter::List1_DblClick()
{
    Command2_Click();
}

void TarnStarter::Command6_Click()
{
    mapCycle.clear();
    ui->List2->clear();
    ui->Check22->setEnabled(false);
    showCycleCount(QStringLiteral(" maps to cycle."));
}
