#include "monitor/rconrequest.h"

#include "platform/codepage.h"

QString monitorPassword(const QString &storedPassword)
{
    if (storedPassword.size() < 2)
        return QStringLiteral("hushed");
    return storedPassword;
}

quint16 monitorServerPort(const QString &storedPort)
{
    if (storedPort.isEmpty() || storedPort.size() > 5)
        return defaultServerPort;
    int value = 0;
    for (const QChar c : storedPort) {
        // QChar::isDigit would let other scripts' digits through.
        if (c < u'0' || c > u'9')
            return defaultServerPort;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < 1 || value > 65535)
        return defaultServerPort;
    return quint16(value);
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
    datagram += QByteArray::fromStdString(platform::utf16ToCp1252(password.toStdU16String()));
    datagram += QByteArray::fromStdString(platform::utf16ToCp1252(commandPart.toStdU16String()));
    datagram += '\0';
    return datagram;
}
