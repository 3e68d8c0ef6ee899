// tarnreg: reads and writes the TarnStarter settings store from the command
// line, with the commands and output of Windows reg.exe.

#include "commands.h"
#include "keyname.h"
#include "platform/arguments.h"
#include "platform/console.h"

#include <string>
#include <vector>

int main(int argc, char **argv)
{
    // Names and values are printed in UTF-8 on every system.
    const platform::Utf8Console console;
    std::vector<std::string> arguments = platform::programArguments(argc, argv);
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "/?" || arguments[i] == "--help")
            return tarnreg::help();
    }
    if (arguments.size() < 2 || !tarnreg::takeRegistryView(arguments))
        return tarnreg::usage();
    std::string command = arguments[1];
    for (char &c : command)
        c = c >= 'A' && c <= 'Z' ? char(c + 0x20) : c;
    const std::vector<std::string> args(arguments.begin() + 2, arguments.end());
    if (command == "query")
        return tarnreg::runQuery(args);
    if (command == "add")
        return tarnreg::runAdd(args);
    if (command == "export")
        return tarnreg::runExport(args);
    if (command == "import")
        return tarnreg::runImport(args);
    if (command == "delete")
        return tarnreg::runDelete(args);
    return tarnreg::usage();
}
