#include "regedit4.h"

#include "keyname.h"
#include "platform/codepage.h"

#include <algorithm>
#include <cstdio>

namespace tarnreg {

namespace {

struct Fault
{
    int line;
    std::string message;
};

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] + 0x20) : text[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
bool parseHex(std::string_view text, std::size_t maxDigits, std::uint32_t *value)
{
    if (text.empty() || text.size() > maxDigits)
        return false;
    *value = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return false;
        *value = *value * 16 + static_cast<std::uint32_t>(digit);
    }
    return true;
}

// A quoted string starting at text[*pos] == '"'; only \\ and \" are escapes.
bool parseQuoted(std::string_view text, std::size_t *pos, std::string *out, std::string *error)
{
    for (std::size_t i = *pos + 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            *pos = i + 1;
            return true;
        }
        if (text[i] == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                *error = "invalid escape in quoted text";
                return false;
            }
            ++i;
        }
        *out += text[i];
    }
    *error = "quoted text is not closed";
    return false;
}

bool parseHexList(std::string_view list, std::vector<std::uint8_t> *data)
{
    list = trimmed(list);
    if (list.empty())
        return true;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos)
            end = list.size();
        std::uint32_t byte = 0;
        if (!parseHex(trimmed(list.substr(start, end - start)), 2, &byte))
            return false;
        data->push_back(static_cast<std::uint8_t>(byte));
        start = end + 1;
    }
    return true;
}

constexpr std::string_view version5Header = "Windows Registry Editor Version 5.00";

// Text of the version 5 format is UTF-16, the bytes lowest first. False for
// an odd byte count.
bool fromUtf16(std::string_view bytes, std::string *out)
{
    if (bytes.size() % 2)
        return false;
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        text += char16_t(
            static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    *out = platform::utf16ToUtf8(text);
    return true;
}

std::string toUtf16(std::string_view text)
{
    std::string bytes;
    for (const char16_t unit : platform::utf8ToUtf16(text)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

class Reader
{
public:
    explicit Reader(std::string_view bytes)
    {
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            if (end == std::string_view::npos) {
                // Text that stops in the middle of a line was cut short.
                complete = false;
                end = bytes.size();
            }
            std::string_view line = bytes.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            lines.push_back(line);
            start = end + 1;
        }
    }

    RegFile read()
    {
        RegFile file;
        if (!complete) {
            file.errorLine = static_cast<int>(lines.size());
            file.error = "the file ends in the middle of a line";
            return file;
        }
        version5 = !lines.empty() && trimmed(lines[0]) == version5Header;
        if (!version5 && (lines.empty() || trimmed(lines[0]) != "REGEDIT4")) {
            file.errorLine = 1;
            file.error = "the first line is neither REGEDIT4 nor " + std::string(version5Header);
            return file;
        }
        for (next = 1; next < lines.size();) {
            const int number = static_cast<int>(next) + 1;
            const std::string_view line = trimmed(lines[next++]);
            std::string error;
            if (line.empty() || line.front() == ';')
                continue;
            if (line.front() == '[')
                error = readKey(line, &file);
            else if (line.front() == '"' || line.front() == '@')
                error = readValue(line, &file);
            else
                error = "a line that is neither a key nor a value";
            if (!error.empty()) {
                file.writes.clear();
                file.errorLine = faultLine ? faultLine : number;
                file.error = error;
                return file;
            }
        }
        return file;
    }

private:
    std::string readKey(std::string_view line, RegFile *file)
    {
        if (line.back() != ']')
            return "a key name without its closing ']'";
        const std::string_view name = line.substr(1, line.size() - 2);
        if (!name.empty() && name.front() == '-')
            return "deleting keys is not supported";
        const auto key = parseKeyName(name);
        if (!key)
            return "unknown root key";
        platform::RegWrite write;
        write.hive = key->hive;
        write.keyPath = key->path;
        file->writes.push_back(write);
        return {};
    }

    std::string readValue(std::string_view line, RegFile *file)
    {
        if (file->writes.empty())
            return "a value before any key";
        platform::RegWrite write = file->writes.back();
        write.hasValue = true;
        write.valueName.clear();
        std::size_t pos = 1; // just past '@', the unnamed value
        std::string error;
        if (line.front() == '"') {
            pos = 0;
            if (!parseQuoted(line, &pos, &write.valueName, &error))
                return error;
        }
        std::string_view rest = trimmed(line.substr(pos));
        if (rest.empty() || rest.front() != '=')
            return "'=' missing after the value name";
        rest = trimmed(rest.substr(1));
        write.data.clear();
        if (!rest.empty() && rest.front() == '"') {
            std::string text;
            pos = 0;
            if (!parseQuoted(rest, &pos, &text, &error))
                return error;
            if (!trimmed(rest.substr(pos)).empty())
                return "text after the closing quote";
            write.type = platform::regSz;
            write.data.assign(text.begin(), text.end());
            write.data.push_back(0);
        } else if (startsWithNoCase(rest, "dword:")) {
            std::uint32_t value = 0;
            if (!parseHex(rest.substr(6), 8, &value))
                return "a dword needs 1 to 8 hex digits";
            write.type = platform::regDword;
            for (int shift = 0; shift < 32; shift += 8)
                write.data.push_back(static_cast<std::uint8_t>(value >> shift));
        } else if (startsWithNoCase(rest, "hex")) {
            if (const std::string problem = readHex(rest.substr(3), &write); !problem.empty())
                return problem;
        } else if (rest == "-") {
            return "deleting values is not supported";
        } else {
            return "unknown value type";
        }
        file->writes.push_back(write);
        return {};
    }

    // After "hex": an optional "(type)", ':' and the bytes, which may go on
    // over lines ending in a backslash.
    std::string readHex(std::string_view rest, platform::RegWrite *write)
    {
        write->type = platform::regBinary;
        if (!rest.empty() && rest.front() == '(') {
            const std::size_t close = rest.find(')');
            if (close == std::string_view::npos
                || !parseHex(rest.substr(1, close - 1), 8, &write->type))
                return "unknown value type";
            rest = rest.substr(close + 1);
        }
        if (rest.empty() || rest.front() != ':')
            return "unknown value type";
        std::string list(rest.substr(1));
        while (!list.empty() && list.back() == '\\') {
            list.pop_back();
            if (next >= lines.size()) {
                faultLine = static_cast<int>(next);
                return "the file ends inside a value";
            }
            list += trimmed(lines[next++]);
        }
        if (!parseHexList(list, &write->data))
            return "bad hex byte list";
        // The bytes of text are UTF-16 in version 5, Windows-1252 in REGEDIT4.
        if (platform::isTextType(write->type)) {
            const std::string_view bytes(
                reinterpret_cast<const char *>(write->data.data()), write->data.size());
            std::string text;
            if (!version5)
                text = platform::cp1252ToUtf8(bytes);
            else if (!fromUtf16(bytes, &text))
                return "text of an odd number of bytes";
            write->data.assign(text.begin(), text.end());
        }
        return {};
    }

    std::vector<std::string_view> lines;
    bool complete = true;
    bool version5 = false;
    std::size_t next = 0;
    int faultLine = 0;
};

bool fitsOneLine(const std::string &text)
{
    return text.find_first_of("\r\n") == std::string::npos;
}

std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + '"';
}

// REG_SZ data that is text plus exactly one terminating zero can be written
// as a quoted string; anything else must keep its bytes as hex.
bool isPlainText(const std::vector<std::uint8_t> &data)
{
    if (data.empty() || data.back() != 0)
        return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n')
            return false;
    }
    return true;
}

} // namespace

RegFile parseRegFile(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE")) {
        const std::string_view body = bytes.substr(2);
        std::string text;
        fromUtf16(body.substr(0, body.size() - body.size() % 2), &text);
        RegFile file = Reader(text).read();
        if (body.size() % 2 && !file.errorLine) {
            file.writes.clear();
            file.errorLine = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
            file.error = "the file ends in the middle of a character";
        }
        return file;
    }
    // A byte that begins no character stands for U+FFFD.
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return Reader(platform::utf16ToUtf8(platform::utf8ToUtf16(bytes.substr(3)))).read();
    return Reader(platform::cp1252ToUtf8(bytes)).read();
}

namespace {

bool fitsRegedit4(const platform::RegWrite &write)
{
    const std::string_view text(
        reinterpret_cast<const char *>(write.data.data()), write.data.size());
    return platform::fitsCp1252(write.keyPath) && platform::fitsCp1252(write.valueName)
        && (!platform::isTextType(write.type) || platform::fitsCp1252(text));
}

void addKey(const std::string &fullName, std::string *text)
{
    *text += "\r\n[" + fullName + "]\r\n";
}

// One "name"=data line; bytes of text in the format's encoding.
void addValue(const std::string &name, std::uint32_t type, const std::vector<std::uint8_t> &data,
    bool version5, std::string *text)
{
    *text += name.empty() ? "@=" : quoted(name) + '=';
    char buffer[16];
    if (type == platform::regSz && isPlainText(data)) {
        *text += quoted(std::string(data.begin(), data.end() - 1));
    } else if (type == platform::regDword && data.size() == 4) {
        std::snprintf(
            buffer, sizeof buffer, "dword:%08x", platform::regDwordValue(data.data(), data.size()));
        *text += buffer;
    } else {
        if (type == platform::regBinary) {
            *text += "hex:";
        } else {
            std::snprintf(buffer, sizeof buffer, "hex(%x):", type);
            *text += buffer;
        }
        std::string bytes(data.begin(), data.end());
        if (platform::isTextType(type))
            bytes = version5 ? toUtf16(bytes) : platform::utf8ToCp1252(bytes);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::snprintf(
                buffer, sizeof buffer, i ? ",%02x" : "%02x", static_cast<unsigned char>(bytes[i]));
            *text += buffer;
        }
    }
    *text += "\r\n";
}

} // namespace

bool regFile(const std::vector<platform::RegWrite> &writes, std::string *bytes)
{
    bool version5 = false;
    for (const platform::RegWrite &write : writes) {
        if (!fitsOneLine(write.hasValue ? write.valueName : write.keyPath))
            return false;
        version5 = version5 || !fitsRegedit4(write);
    }
    std::string text(version5 ? version5Header : "REGEDIT4");
    text += "\r\n";
    for (const platform::RegWrite &write : writes) {
        if (write.hasValue)
            addValue(write.valueName, write.type, write.data, version5, &text);
        else
            addKey(fullKeyName({write.hive, write.keyPath}), &text);
    }
    text += "\r\n";
    *bytes = version5 ? "\xFF\xFE" + toUtf16(text) : platform::utf8ToCp1252(text);
    return true;
}

} // namespace tarnreg
