#pragma once

// Remote-console requests as the monitor sends them to the server: 0xFF 0xFF
// 0xFF 0xFF, "rcon ", the password, a command part, 0x00. The text parts go
// out as Windows-1252 bytes, exactly as given: no quoting, trimming or
// escaping, so what the operator types is what the server reads.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

// The port the monitor listens on, and the server's port when the stored one
// is unusable.
constexpr quint16 monitorLocalPort = 28901;
constexpr quint16 defaultServerPort = 28910;

// The port the server was given for the stored "Server_Port"; one that is
// not a port means the default.
quint16 monitorServerPort(const QString &storedPort);

// The command part a poll sends for the text the combo box shows, or nothing
// when the text is none of the three poll choices.
std::optional<QString> pollCommandPart(const QString &comboText);

QString sayCommandPart(const QString &text);
QString typedCommandPart(const QString &text);
QString quitCommandPart();
QString execCommandPart();

QByteArray rconDatagram(const QString &password, const QString &commandPart);
