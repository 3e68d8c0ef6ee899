#pragma once

// Everything the program hands to the outside as bytes is Windows-1252; a
// character outside it becomes '?'.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::string utf16ToCp1252(std::u16string_view text);
std::u16string cp1252ToUtf16(std::string_view bytes);
std::string utf8ToCp1252(std::string_view text);
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-16 and UTF-8 both hold every character; a lone surrogate or a byte
// that begins no well-formed sequence becomes U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
std::u16string utf8ToUtf16(std::string_view text);

// Whether the UTF-8 text comes back unchanged through Windows-1252.
bool fitsCp1252(std::string_view text);

// The character of the UTF-8 sequence at text[pos], moving pos past it. A
// byte that does not begin a well-formed sequence (a stray continuation byte,
// a cut or overlong sequence, an encoded surrogate) is passed alone and gives
// nothing: the caller decides what it stands for.
std::optional<char32_t> nextUtf8(std::string_view text, std::size_t &pos);

// Upper case as the code page has it: a character changes only to a capital
// the code page also holds, so the text keeps its length and nothing turns
// into '?' on the way out (ß and µ stay as they are). Characters outside the
// code page stay unchanged.
char32_t upperCp1252(char32_t c);
std::u16string upperCp1252(std::u16string_view text);

} // namespace platform
