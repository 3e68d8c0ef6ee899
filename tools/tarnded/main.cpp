// tarnded: a stand-in for the game's dedicated server. It reads the
// configuration the launcher writes and answers the remote console, so the
// launcher can be run and tested where the game is not installed.

#include "configline.h"
#include "console.h"
#include "platform/arguments.h"
#include "platform/codepage.h"
#include "platform/filepath.h"
#include "platform/portnumber.h"
#include "server.h"
#include "udploop.h"

#include <filesystem>
#include <iostream>

namespace {

// The command line as one text, an argument with blanks in double quotes,
// so that it reads the way it was given.
std::string joinCommandLine(const std::vector<std::string> &arguments)
{
    std::string line;
    for (const std::string &argument : arguments) {
        if (!line.empty())
            line += ' ';
        if (argument.empty() || argument.find_first_of(" \t") != std::string::npos)
            line += "\"" + argument + "\"";
        else
            line += argument;
    }
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    tarnded::prepareProcess();

    const std::vector<std::string> commandLine = platform::programArguments(argc, argv);
    std::error_code error;
    const std::string gameFolder = platform::utf8Path(std::filesystem::current_path(error));
    const std::vector<tarnded::ConsoleLine> arguments
        = tarnded::parseArguments(std::vector<std::string>(
            commandLine.begin() + (commandLine.empty() ? 0 : 1), commandLine.end()));

    tarnded::StandardConsole console;
    tarnded::Server server(
        console, gameFolder, platform::utf8ToCp1252(joinCommandLine(commandLine)));
    server.applySettings(arguments);

    const std::string address = server.variables().value("net_ip");
    const std::string portText = server.variables().value("hostport");
    const auto port = platform::parsePortNumber(portText);
    if (!port) {
        std::cerr << "tarnded: hostport \"" << portText << "\" is not a port number\n";
        return 1;
    }
    std::string reason;
    const int socket = tarnded::bindUdp(address, *port, &reason);
    if (socket < 0) {
        std::cerr << "tarnded: cannot bind UDP " << address << ":" << *port << ": " << reason
                  << "\n";
        return 1;
    }
    console.print("Listening on " + address + ":" + std::to_string(*port) + "\n");

    server.runConfiguration(arguments);
    const int status = server.quitRequested() ? 0 : tarnded::serve(server, socket);
    tarnded::closeUdp(socket);
    return status;
}
