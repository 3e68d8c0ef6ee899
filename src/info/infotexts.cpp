#include "info/infotexts.h"

#include <QStringList>

namespace {
const QString crLf = QStringLiteral("\r\n");
}

QString helpText()
{
    const QStringList lines = {
        QStringLiteral("1. Copy this program to the C:\\Program Files\\Marlow\\Tarn directory "
                       "(or equivilent)"),
        QString(),
        QStringLiteral("2. Create a shortcut to this program on your desktop."),
        QString(),
        QStringLiteral("3. Follow steps 1 through 7 and press GO"),
        QString(),
        QStringLiteral("Really people .. its not that hard."),
    };
    return lines.join(crLf);
}

QString commandListText()
{
    // The runs of blanks are part of the text: the lines were laid out by
    // hand and are shown exactly so.
    const QStringList lines = {
        QStringLiteral("deathmatch 1  -  sets host to DeathMatch mode"),
        QStringLiteral("deathmatch 2  -  sets host to Assassin mode"),
        QStringLiteral("deathmatch 3  -  sets host to Arsenal mode"),
        QStringLiteral("deathmatch 4  -  sets host to CTF mode"),
        QStringLiteral("deathmatch 5  -  sets host to Realistic mode"),
        QStringLiteral("deathmatch 6  -  sets host to Control mode"),
        QStringLiteral("deathmatch 7  -  sets host to Conquer the Bunker mode"),
        QStringLiteral("filter_add  xx.xxx.xxx.xxx  - bans this IP from joining your server"),
        QStringLiteral("filter_remove xx.xxx.xxx.xxx  -  unbans this IP from joining your server"),
        QStringLiteral("filter_list  -  lists all the IPs on the ban list"),
        QStringLiteral("fraglimit xx -  sets limit for # of kills before map changes where xx is "
                       "number"),
        QStringLiteral("sv_maplistfile  -  selects which file of maps server will cycle through"),
        QStringLiteral("sv_gravity  xxx  -  set the gravity level, 800 is default.  400 is 1/2 "
                       "gravity.  -200 makes people rise to the roof"),
        QStringLiteral("timelimit xx  -  sets amount of time before map will change"),
        QStringLiteral("kick \"name of player\"  -  kicks the player "),
        QStringLiteral("kick 1  -  kicks the player listed as number 1 when status command is "
                       "used"),
        QStringLiteral("map x  -  will change the server to this map immediately when entered"),
        QStringLiteral("maxclients x  -  will set server to x number of clients"),
        QStringLiteral("password x - will set server password to x, will require all clients to "
                       "have this password to connect"),
        QStringLiteral("public - will make server public or not"),
        QStringLiteral("say  -  message will appear at top of screen to all players"),
        QStringLiteral("status -  displays client information:  ID #, Name, Ping, and IP"),
    };
    QString text;
    for (const QString &line : lines)
        text += line + crLf;
    return text;
}
