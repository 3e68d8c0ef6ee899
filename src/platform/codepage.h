#pragma once

// Everything the program hands to the outside as bytes is Windows-1252; a
// character outside it becomes '?'.

#include <string>
#include <string_view>

namespace platform {

std::string utf16ToCp1252(std::u16string_view text);
std::u16string cp1252ToUtf16(std::string_view bytes);
std::string utf8ToCp1252(std::string_view text);
std::string cp1252ToUtf8(std::string_view bytes);

} // namespace platform
