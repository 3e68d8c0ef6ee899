// Step 6 of the main window: the available maps and the map cycle.

#include "maps/mapsources.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "ui_tarnstarter.h"

#include <QStringListModel>

void TarnStarter::BuildList()
{
    // A new list leaves nothing selected.
    availableMapsModel->setStringList(availableMaps(ui->Text1->text()));
    ui->Label13->setText(
        QString::number(availableMapsModel->rowCount()) + QStringLiteral(" Maps Listed"));

    mapCycle.load();
    ui->List2->clear();
    ui->List2->addItems(mapCycle.maps());
    ui->Check22->setEnabled(true);
    showCycleCount(QStringLiteral(" Maps to cycle"));
}

QStringList TarnStarter::listedMaps() const
{
    return availableMapsModel->stringList();
}

int TarnStarter::selectedMapRow() const
{
    const QModelIndexList selected = ui->List1->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QString TarnStarter::selectedMap() const
{
    return listedMaps().value(selectedMapRow());
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
    const QString map = selectedMap();
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
