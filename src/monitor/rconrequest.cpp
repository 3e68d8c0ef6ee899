#include "monitor/rconrequest.h"

#include "launch/serverport.h"
#include "store/textcodec.h"

quint16 monitorServerPort(const QString &storedPort)
{
    return launchedServerPort(storedPort).value_or(defaultServerPort);
}

QString pollCommandPart(Poll poll)
{
    switch (poll) {
    case Poll::Status:
        return QStringLiteral(" status ");
    case Poll::ServerInfo:
        return QStringLiteral(" serverinfo ");
    case Poll::DmFlags:
        return QStringLiteral(" list_dmflags ");
    }
    return {};
}

QString sayCommandPart(const QString &text)
{
    return QStringLiteral(" say ") + text + u' ';
}

QString typedCommandPart(const QString &text)
{
    return u' ' + text + u' ';
}

QString quitCommandPart()
{
    return QStringLiteral(" quit ");
}

QString execCommandPart()
{
    return QStringLiteral(" exec dedicated.cfg ");
}

QByteArray rconDatagram(const QString &password, const QString &commandPart)
{
    QByteArray datagram("\xFF\xFF\xFF\xFFrcon ", 9);
    datagram += toWindows1252(password + commandPart);
    datagram += '\0';
    return datagram;
}
