#include "platform/text_windows.h"

#include <windows.h>

namespace platform {

std::wstring wideFromUtf8(const std::string &text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), size);
    return wide;
}

std::string utf8FromWide(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(
        CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(std::size_t(size), '\0');
    WideCharToMultiByte(
        CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

std::string systemMessage(unsigned long number)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, number, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty()
        && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '
            || text.back() == L'.'))
        text.pop_back();
    const std::string numbered = "error " + std::to_string(number);
    return text.empty() ? numbered : utf8FromWide(text) + " (" + numbered + ")";
}

} // namespace platform
