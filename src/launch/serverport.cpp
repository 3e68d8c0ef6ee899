#include "launch/serverport.h"

#include "launch/configtext.h"
#include "platform/portnumber.h"
#include "platform/process.h"

#include <algorithm>

std::optional<quint16> launchedServerPort(const QString &portText)
{
    const std::vector<std::string> arguments
        = platform::splitCommandLine(serverArguments(portText).toStdString());
    const auto name = std::find(arguments.begin(), arguments.end(), "hostport");
    if (name == arguments.end() || std::next(name) == arguments.end())
        return std::nullopt;
    return platform::parsePortNumber(*std::next(name));
}

QString portProblem(const QString &portText)
{
    if (launchedServerPort(portText))
        return {};
    return QStringLiteral("The server port \"%1\" is not a port number. Type a whole number "
                          "from 1 to 65535 beside \"Server Port->\".")
        .arg(portText);
}
