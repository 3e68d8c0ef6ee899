#pragma once

// Remote-console requests as the monitor sends them to the server: 0xFF 0xFF
// 0xFF 0xFF, "rcon ", the password, a command part, 0x00. The text parts go
// out as Windows-1252 bytes, exactly as given: no quoting, trimming or
// escaping, so what the operator types is what the server reads.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The port the monitor listens on, and the server's port when the stored one
// is unusable.
constexpr quint16 monitorLocalPort = 28901;
constexpr quint16 defaultServerPort = 28910;

// The port the server was given for the port setting as stored; one that is
// not a port means the default.
quint16 monitorServerPort(const QString &storedPort);

// The status commands the monitor polls the server with.
enum class Poll { Status, ServerInfo, DmFlags };

QString pollCommandPart(Poll poll);

QString sayCommandPart(const QString &text);
QString typedCommandPart(const QString &text);
QString quitCommandPart();
QString execCommandPart();

QByteArray rconDatagram(const QString &password, const QString &commandPart);
