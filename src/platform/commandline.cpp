#include "platform/process.h"

namespace platform {

// Windows hands a program one command line and leaves the splitting to the
// program; the server expects the rules of the Microsoft C runtime, so the
// arguments are split here exactly that way before they reach a host program.
std::vector<std::string> splitCommandLine(const std::string &arguments)
{
    std::vector<std::string> result;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    std::size_t i = 0;
    const std::size_t size = arguments.size();
    while (i < size) {
        const char c = arguments[i];
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument)
                result.push_back(std::move(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            std::size_t count = 0;
            while (i < size && arguments[i] == '\\') {
                ++count;
                ++i;
            }
            if (i < size && arguments[i] == '"') {
                current.append(count / 2, '\\');
                if (count % 2 == 1) {
                    current += '"';
                    ++i;
                }
                // With an even count the quote is left for the next round,
                // where it opens or closes a quoted run.
            } else {
                current.append(count, '\\');
            }
            continue;
        }
        if (c == '"') {
            if (quoted && i + 1 < size && arguments[i + 1] == '"') {
                current += '"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument)
        result.push_back(std::move(current));
    return result;
}

} // namespace platform
