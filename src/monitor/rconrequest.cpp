#include "monitor/rconrequest.h"

#include "launch/serverport.h"
#include "store/textcodec.h"

quint16 monitorServerPort(const QString &storedPort)
{
    return launchedServerPort(storedPort).value_or(defaultServerPort);
}

std::optional<QString> pollCommandPart(const QString &comboText)
{
    if (comboText == u"Connection Monitor")
        return QStringLiteral(" status ");
    if (comboText == u"Server Info")
        return QStringLiteral(" serverinfo ");
    if (comboText == u"List DMFlags")
        return QStringLiteral(" list_dmflags ");
    return std::nullopt;
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
