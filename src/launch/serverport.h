#pragma once

#include <QString>
#include <optional>

// The port a server started from the port box listens on. The box's text is
// appended as typed to the server's command line, which is split the Windows
// way, so blanks around the port and double quotes do not reach the server;
// the argument after "hostport" is read as the server reads its host port.
std::optional<quint16> launchedServerPort(const QString &portText);

// Why the port box's text gives the server no port to listen on, or "".
QString portProblem(const QString &portText);
