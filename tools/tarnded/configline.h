#pragma once

// Console lines as the server reads them from its command line, from
// configuration files and from remote-console requests. All text is
// Windows-1252 bytes.

#include <string>
#include <string_view>
#include <vector>

namespace tarnded {

// One console command: its first word and the rest of the line after it,
// with the blanks around the rest removed.
struct ConsoleLine
{
    std::string verb;
    std::string rest;
};

// The lines of a text; a line ends in CR LF or LF, and the last one may lack
// an end.
std::vector<std::string_view> splitLines(std::string_view text);

// The command on one line, or an empty verb for a blank line or a "//"
// comment.
ConsoleLine parseLine(std::string_view line);

// Start-up arguments: each "+word" begins a command whose rest is the
// following arguments joined by blanks. Anything before the first "+word" is
// ignored.
std::vector<ConsoleLine> parseArguments(const std::vector<std::string> &arguments);

// The first blank-separated word of a text and what follows it (blanks
// around it removed).
std::pair<std::string, std::string> splitFirstWord(std::string_view text);

// A value as written after a variable name: a value that begins with a double
// quote is taken between it and the last double quote of the text (so quotes
// inside a host name survive); otherwise the text itself.
std::string unquote(std::string_view text);

// The map names of a map-cycle list file: the first field of each line.
std::vector<std::string> mapListEntries(std::string_view text);

// The blanks and tabs at both ends removed.
std::string_view trimBlanks(std::string_view text);

// The value of a number as console variables hold it: leading blanks and a
// sign allowed, the digits up to the first other character, 0 when there
// are none.
long long toInteger(std::string_view text);

std::string toLower(std::string_view text);

} // namespace tarnded
