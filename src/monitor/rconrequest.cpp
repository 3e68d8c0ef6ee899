#include "monitor/rconrequest.h"

#include "launch/configtext.h"
#include "platform/portnumber.h"
#include "platform/process.h"
#include "store/textcodec.h"

#include <algorithm>

quint16 monitorServerPort(const QString &storedPort)
{
    const std::vector<std::string> arguments
        = platform::splitCommandLine(serverArguments(storedPort).toStdString());
    const auto name = std::find(arguments.begin(), arguments.end(), "hostport");
    if (name == arguments.end() || std::next(name) == arguments.end())
        return defaultServerPort;
    return platform::parsePortNumber(*std::next(name)).value_or(defaultServerPort);
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
