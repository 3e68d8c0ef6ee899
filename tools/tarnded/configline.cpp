#include "configline.h"

#include <cctype>
#include <limits>

namespace tarnded {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::pair<std::string, std::string> splitFirstWord(std::string_view text)
{
    text = trimBlanks(text);
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    return {std::string(text.substr(0, end)), std::string(trimBlanks(text.substr(end)))};
}

ConsoleLine parseLine(std::string_view line)
{
    line = trimBlanks(line);
    if (line.starts_with("//"))
        return {};
    auto [verb, rest] = splitFirstWord(line);
    return {std::move(verb), std::move(rest)};
}

std::vector<ConsoleLine> parseArguments(const std::vector<std::string> &arguments)
{
    std::vector<ConsoleLine> commands;
    for (const std::string &argument : arguments) {
        if (argument.size() > 1 && argument.front() == '+') {
            commands.push_back({argument.substr(1), {}});
        } else if (!commands.empty()) {
            std::string &rest = commands.back().rest;
            if (!rest.empty())
                rest += ' ';
            rest += argument;
        }
    }
    return commands;
}

std::string unquote(std::string_view text)
{
    text = trimBlanks(text);
    if (text.empty() || text.front() != '"')
        return std::string(text);
    text.remove_prefix(1);
    const auto close = text.rfind('"');
    return std::string(close == std::string_view::npos ? text : text.substr(0, close));
}

std::vector<std::string> mapListEntries(std::string_view text)
{
    std::vector<std::string> entries;
    for (std::string_view line : splitLines(text)) {
        line = trimBlanks(line);
        if (line.empty() || line.starts_with("//"))
            continue;
        if (line.front() == '"') {
            const auto close = line.find('"', 1);
            entries.emplace_back(
                line.substr(1, close == std::string_view::npos ? close : close - 1));
        } else {
            entries.push_back(splitFirstWord(line).first);
        }
        if (entries.back().empty())
            entries.pop_back();
    }
    return entries;
}

long long toInteger(std::string_view text)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    constexpr long long limit = std::numeric_limits<long long>::max() / 10 - 1;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        // Absurdly long digit strings saturate rather than overflow.
        if (value > limit)
            break;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::string toLower(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

} // namespace tarnded
