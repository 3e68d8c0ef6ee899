// Step 6 of the main window: the available maps and the map cycle.

#include "maps/mapsources.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "ui_tarnstarter.h"

void TarnStarter::BuildList()
{
    ui->List1->setUpdatesEnabled(false);
    ui->List1->clear();
    ui->List1->addItems(availableMaps(ui->Text1->text()));
    ui->List1->setCurrentRow(-1);
    ui->List1->setUpdatesEnabled(true);
    ui->Label13->setText(QString::number(ui->List1->count()) + QStringLiteral(" Maps Listed"));

    mapCycle.load();
    ui->List2->clear();
    ui->List2->addItems(mapCycle.maps());
    ui->Check22->setEnabled(true);
    showCycleCount(QStringLiteral(" Maps to cycle"));
}

QStringList TarnStarter::listedMaps() const
{
    QStringList maps;
    for (int row = 0; row < ui->List1->count(); ++row)
        maps.append(ui->List1->item(row)->text());
    return maps;
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
