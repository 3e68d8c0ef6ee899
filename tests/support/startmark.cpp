// Stands in for a program a test expects to be started: each start adds a
// line, the program's name and its arguments, to the file "started" in the
// program's folder. It is a real program so that every system can start it.

#include <filesystem>
#include <fstream>

int main(int argc, char **argv)
{
    // A name without a folder was found in the working folder.
    std::ofstream out(std::filesystem::path(argv[0]).parent_path() / "started", std::ios::app);
    for (int i = 0; i < argc; ++i)
        out << (i ? " " : "") << argv[i];
    out << '\n';
    return out ? 0 : 1;
}
