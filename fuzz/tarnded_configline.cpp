// Configuration files and console lines reach tarnded from disk and from the
// network. Every reader of them must take any bytes, and the few properties
// callers rely on must hold.

#include "fuzzcheck.h"
#include "tarnded/configline.h"

#include <charconv>
#include <string>

using namespace tarnded;

namespace {

bool hasBlankAtEnds(std::string_view text)
{
    return !text.empty()
        && (text.front() == ' ' || text.front() == '\t' || text.back() == ' '
            || text.back() == '\t');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    std::vector<std::string> arguments;
    for (const std::string_view line : splitLines(text)) {
        fuzzRequire(line.find('\n') == std::string_view::npos, "a line holds no line feed");
        const ConsoleLine command = parseLine(line);
        fuzzRequire(command.verb.find_first_of(" \t") == std::string::npos, "a verb is one word");
        fuzzRequire(!hasBlankAtEnds(command.rest), "the rest is trimmed");
        fuzzRequire(!command.verb.empty() || command.rest.empty(), "no rest without a verb");
        fuzzRequire(trimBlanks(trimBlanks(line)) == trimBlanks(line), "trimming is done once");
        unquote(line);
        arguments.emplace_back(line);
    }
    for (const ConsoleLine &command : parseArguments(arguments))
        fuzzRequire(!command.verb.empty(), "every +word names a command");
    for (const std::string &entry : mapListEntries(text))
        fuzzRequire(!entry.empty(), "no empty map names");
    fuzzRequire(toLower(text).size() == text.size(), "lowering keeps the length");

    // Up to 18 significant digits the value is exact; longer ones saturate,
    // never wrap.
    const long long value = toInteger(text);
    const std::string_view trimmed = trimBlanks(text);
    const bool negative = trimmed.starts_with('-');
    std::size_t first = negative || trimmed.starts_with('+') ? 1 : 0;
    while (first < trimmed.size() && trimmed[first] == '0')
        ++first;
    std::size_t end = first;
    while (end < trimmed.size() && trimmed[end] >= '0' && trimmed[end] <= '9')
        ++end;
    if (end - first <= 18) {
        long long exact = 0;
        std::from_chars(trimmed.data() + first, trimmed.data() + end, exact);
        fuzzRequire(value == (negative ? -exact : exact), "short numbers read exactly");
    } else {
        fuzzRequire(negative ? value < 0 : value > 0, "long numbers keep their sign");
    }
    return 0;
}
