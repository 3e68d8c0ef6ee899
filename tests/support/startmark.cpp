// Stands in for a program a test expects to be started: each start adds a
// line, the program's name and its arguments, to the file "started" in the
// program's folder. It is a real program so that every system can start it.
// With a file "fails" beside it, it prints that file and ends with status 3,
// as a server does that cannot run.

#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char **argv)
{
    // A name without a folder was found in the working folder.
    const std::filesystem::path folder = std::filesystem::path(argv[0]).parent_path();
    std::ofstream out(folder / "started", std::ios::app);
    for (int i = 0; i < argc; ++i)
        out << (i ? " " : "") << argv[i];
    out << '\n';
    if (std::ifstream fails(folder / "fails"); fails) {
        std::cerr << fails.rdbuf();
        return 3;
    }
    return out ? 0 : 1;
}
