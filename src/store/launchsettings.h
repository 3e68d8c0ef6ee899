#pragma once

#include <QString>
#include <QtCore/qnamespace.h>
#include <array>

// The settings of a launch as the operator sets them in the main window:
// texts as they stand in their boxes, ticks as check states (a stored grayed
// tick stays grayed and reaches the server as 2).
struct LaunchSettings
{
    QString gameFolder;
    QString hostName;
    QString welcomeMessage;
    QString port;
    QString fragLimit;
    QString timeLimit;
    QString maxClients;
    QString maxSpectators;
    QString controlLimit;
    QString ctfLoops;
    QString gravity;
    QString suicidePenalty;
    QString moveScale;
    QString reconnectLimit;
    QString password;
    QString rconPassword;

    Qt::CheckState publicServer = Qt::Unchecked;
    Qt::CheckState cheats = Qt::Unchecked;
    Qt::CheckState allowUploads = Qt::Unchecked;
    Qt::CheckState allowDownloads = Qt::Unchecked;
    Qt::CheckState useMapList = Qt::Unchecked;
    Qt::CheckState openCommandList = Qt::Unchecked;
    Qt::CheckState reduceLag = Qt::Unchecked;
    Qt::CheckState useCustomCommands = Qt::Unchecked;
    Qt::CheckState developer = Qt::Unchecked;
    Qt::CheckState verboseNetwork = Qt::Unchecked;
    Qt::CheckState logConsole = Qt::Unchecked;
    Qt::CheckState logStats = Qt::Unchecked;

    // The game type from Deathmatch (0) to Conquer (6); -1 for none.
    int gameTypeIndex = 0;
    // The DM flag switches, flag 1 first.
    std::array<Qt::CheckState, 16> dmFlags {};
};
