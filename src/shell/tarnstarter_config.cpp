// Turning the main window into a launch form.

#include "launch/configtext.h"
#include "maps/mapsources.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "ui_tarnstarter.h"

#include <QCoreApplication>
#include <QRegularExpression>

LaunchForm TarnStarter::launchForm()
{
    LaunchForm form;
    form.launcherTitle = LauncherTitle;
    static const QRegularExpression textBox(QStringLiteral("^Text\\d+$"));
    static const QRegularExpression checkBox(QStringLiteral("^Check\\d+$"));
    for (const QLineEdit *box : findChildren<QLineEdit *>(textBox))
        form.texts.insert(box->objectName(), box->text());
    for (const QCheckBox *box : findChildren<QCheckBox *>(checkBox))
        form.checks.insert(box->objectName(), box->checkState());
    form.gameTypeIndex = ui->Option1->checkedId();

    // A long list must not freeze the window; a close asked for meanwhile
    // ends the reading.
    if (form.ticked("Check26")) {
        for (const NumberedEntry &entry :
            readNumberedList(customCommandsKey, RemovedEntries::Skip, [this] {
                QCoreApplication::processEvents();
                return pendingClose == PendingClose::None;
            }))
            form.customCommands.append(entry.text);
    }

    form.startMap = startMap(listedMaps(), selectedMapRow());
    // "Use this Maplist" decides, as it promises: the cycle is used only
    // when the box is both enabled and ticked.
    form.useMapCycle = ui->Check22->isEnabled() && ui->Check22->checkState() == Qt::Checked;
    form.mapCycle = mapCycle.maps();
    return form;
}
