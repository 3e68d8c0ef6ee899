#pragma once

#include <QMap>
#include <QStringList>
#include <QtCore/qnamespace.h>

// Everything a launch takes from the main window, as one value: the texts of
// its boxes and the states of its check boxes by control name ("Text2",
// "Check17"), as the operator left them, and what the map lists decided.
struct LaunchForm
{
    QString launcherTitle;
    QMap<QString, QString> texts;
    QMap<QString, Qt::CheckState> checks;
    // The Option1 index of the selected game type, -1 for none.
    int gameTypeIndex = 0;
    // The stored custom lines, removed ones left out; read only when "Use
    // custom commands" is ticked.
    QStringList customCommands;
    // The start map: the selected available map in lower case, else the
    // second entry of the available maps as shown.
    QString startMap;
    // Whether "Use this Maplist" is enabled and ticked, and the cycle.
    bool useMapCycle = false;
    QStringList mapCycle;

    QString text(const char *control) const { return texts.value(QLatin1String(control)); }
    Qt::CheckState check(const char *control) const
    {
        return checks.value(QLatin1String(control), Qt::Unchecked);
    }
    bool ticked(const char *control) const { return check(control) == Qt::Checked; }
};
