// Any command line splits without fault, and the arguments it gives, quoted
// again the way a Windows program quotes them, split back to themselves.

#include "fuzzcheck.h"
#include "platform/process.h"

#include <string>
#include <vector>

namespace {

std::string quoted(const std::string &argument)
{
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes escape only when a quote follows them.
        out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    return out + '"';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string> arguments = platform::splitCommandLine(line);

    std::string joined;
    for (const std::string &argument : arguments) {
        if (!joined.empty())
            joined += ' ';
        joined += quoted(argument);
    }
    fuzzRequire(platform::splitCommandLine(joined) == arguments, "quoted arguments split back");
    return 0;
}
