#pragma once

// Text at the edge of the Windows API: the program's paths are UTF-8, the
// system's wide calls take UTF-16.

#include <string>

namespace platform {

std::wstring wideFromUtf8(const std::string &text);
std::string utf8FromWide(const std::wstring &text);

// The system's message for an error number, in words, with the number.
std::string systemMessage(unsigned long number);

} // namespace platform
