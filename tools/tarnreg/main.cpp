// tarnreg: reads and writes the TarnStarter settings store from the command
// line, with the commands and output of Windows reg.exe.

#include "commands.h"

#include <string>
#include <string_view>
#include <vector>

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "/?" || std::string_view(argv[i]) == "--help")
            return tarnreg::help();
    }
    if (argc < 2)
        return tarnreg::usage();
    std::string command = argv[1];
    for (char &c : command)
        c = c >= 'A' && c <= 'Z' ? char(c + 0x20) : c;
    const std::vector<std::string> args(argv + 2, argv + argc);
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
