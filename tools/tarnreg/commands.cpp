#include "commands.h"

#include "keyname.h"
#include "platform/filepath.h"
#include "platform/registry.h"
#include "regedit4.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>

namespace tarnreg {

namespace {

using namespace platform;

// reg.exe's own words.
constexpr const char *notFound
    = "ERROR: The system was unable to find the specified registry key or value.";

constexpr const char *invalidKey = "ERROR: Invalid key name.";

int fail(const std::string &message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

int failStatus(long status)
{
    switch (status) {
    case errorRegistryCorrupt:
        return fail("ERROR: The configuration registry database is corrupt.");
    case errorAccessDenied:
        return fail("ERROR: Access is denied.");
    default:
        return fail("ERROR: The operation failed with status " + std::to_string(status) + ".");
    }
}

int succeed()
{
    std::printf("The operation completed successfully.\n");
    return 0;
}

// "/ve", "-VE" and the like; option is given in lower case.
bool sameOption(const std::string &arg, std::string_view option)
{
    if (arg.size() != option.size() || (arg[0] != '/' && arg[0] != '-'))
        return false;
    for (std::size_t i = 1; i < arg.size(); ++i) {
        if ((arg[i] | 0x20) != option[i])
            return false;
    }
    return true;
}

// Query and export only read: they never create the store, and a store
// that is missing or cannot be read is said so, not shown as empty.
int openStoreToRead()
{
    openStoreReadOnly();
    const std::string problem = storeProblem();
    return problem.empty() ? 0 : fail("ERROR: " + problem);
}

std::optional<KeyName> keyArgument(const std::string &arg)
{
    return parseKeyName(arg);
}

// Opens the key the command line names, in a store only read: 0, or the
// exit code of the failure.
int openKeyArgument(const std::string &arg, KeyName *keyName, Key *key)
{
    const auto parsed = keyArgument(arg);
    if (!parsed)
        return fail(invalidKey);
    if (const int failed = openStoreToRead())
        return failed;
    *keyName = *parsed;
    return regOpenKey(keyName->hive, keyName->path, key) == errorSuccess ? 0 : fail(notFound);
}

const char *typeName(std::uint32_t type)
{
    static constexpr const char *names[] = {
        "REG_NONE",
        "REG_SZ",
        "REG_EXPAND_SZ",
        "REG_BINARY",
        "REG_DWORD",
        "REG_DWORD_BIG_ENDIAN",
        "REG_LINK",
        "REG_MULTI_SZ",
        "REG_RESOURCE_LIST",
        "REG_FULL_RESOURCE_DESCRIPTOR",
        "REG_RESOURCE_REQUIREMENTS_LIST",
        "REG_QWORD",
    };
    return type < std::size(names) ? names[type] : "REG_UNKNOWN";
}

std::string shownData(std::uint32_t type, std::vector<std::uint8_t> data)
{
    char buffer[32];
    // A REG_QWORD is two double words, the low one first.
    if ((type == regDword && data.size() == 4) || (type == 11 && data.size() == 8)) {
        std::uint64_t value = regDwordValue(data.data(), 4);
        if (data.size() == 8)
            value |= std::uint64_t(regDwordValue(data.data() + 4, 4)) << 32;
        std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
        return buffer;
    }
    if (isTextType(type)) {
        if (!data.empty() && data.back() == 0)
            data.pop_back();
        // A list of strings shows its separators as reg.exe does.
        if (type == regMultiSz && !data.empty() && data.back() == 0)
            data.pop_back();
        std::string text;
        for (const std::uint8_t byte : data)
            text += byte ? std::string(1, static_cast<char>(byte)) : std::string("\\0");
        return text;
    }
    std::string hex;
    for (const std::uint8_t byte : data) {
        std::snprintf(buffer, sizeof buffer, "%02X", byte);
        hex += buffer;
    }
    return hex;
}

void printValue(const std::string &name, std::uint32_t type, const std::vector<std::uint8_t> &data)
{
    std::printf("    %s    %s    %s\n", name.empty() ? "(Default)" : name.c_str(), typeName(type),
        shownData(type, data).c_str());
}

// Reads one value in full, asking for its size first.
long readValue(
    Key key, const std::string &name, std::uint32_t *type, std::vector<std::uint8_t> *data)
{
    std::uint32_t size = 0;
    long status = regQueryValue(key, name, type, nullptr, &size);
    if (status != errorSuccess)
        return status;
    data->resize(size);
    status = regQueryValue(key, name, type, data->data(), &size);
    data->resize(size);
    return status;
}

// Hands key and every key below it to visit, depth first, each key before
// its subkeys, until visit returns false. The walk keeps its own stack, so a
// store of any depth is walked whole.
template<typename Visit> bool visitTree(Key root, const std::string &rootName, Visit visit)
{
    struct Level
    {
        Key key;
        std::string name;
        std::uint32_t next = 0;
    };
    std::vector<Level> levels {{root, rootName}};
    bool going = visit(root, rootName);
    while (going && !levels.empty()) {
        std::string name;
        if (regEnumKey(levels.back().key, levels.back().next++, &name) != errorSuccess) {
            if (levels.size() > 1)
                regCloseKey(levels.back().key);
            levels.pop_back();
            continue;
        }
        Key child = 0;
        going = regOpenKey(levels.back().key, name, &child) == errorSuccess;
        if (going) {
            const std::string &parent = levels.back().name;
            levels.push_back({child, parent.empty() ? name : parent + '\\' + name});
            going = visit(child, levels.back().name);
        }
    }
    for (std::size_t i = 1; i < levels.size(); ++i)
        regCloseKey(levels[i].key);
    return going;
}

// One key and its values, as a .reg file holds them.
void exportKey(Key key, const KeyName &keyName, std::vector<RegWrite> *out)
{
    RegWrite write;
    write.hive = keyName.hive;
    write.keyPath = keyName.path;
    out->push_back(write);
    write.hasValue = true;
    for (std::uint32_t i = 0;
         regEnumValue(key, i, &write.valueName, &write.type, &write.data) == errorSuccess; ++i)
        out->push_back(write);
}

void printValues(Key key)
{
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0; regEnumValue(key, i, &name, &type, &data) == errorSuccess; ++i)
        printValue(name, type, data);
}

// Why the text is no DWORD, or "" when it is one (decimal, or hex after 0x).
std::string parseDword(const std::string &text, std::uint32_t *value)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] | 0x20) == 'x';
    const std::string digits = hex ? text.substr(2) : text;
    const std::string quoted = "ERROR: The DWORD data \"" + text + "\"";
    if (digits.empty())
        return quoted + " is not a number.";
    std::uint64_t number = 0;
    bool fits = true;
    for (const char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
            digit = (c | 0x20) - 'a' + 10;
        if (digit < 0)
            return quoted + " is not a number.";
        if (fits)
            number = number * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        fits = fits && number <= 0xFFFFFFFFu;
    }
    if (!fits)
        return quoted + " does not fit in a DWORD (0 to 4294967295).";
    *value = static_cast<std::uint32_t>(number);
    return {};
}

} // namespace

int help()
{
    std::printf("Usage:\n"
                "  tarnreg query KEY [/v NAME | /ve | /s]\n"
                "  tarnreg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]\n"
                "  tarnreg delete KEY [/v NAME | /ve] [/f]\n"
                "  tarnreg export KEY FILE\n"
                "  tarnreg import FILE\n"
                "KEY is a root key (HKLM, HKCU, HKCR, HKU, HKCC or in full) and a path,\n"
                "such as \"HKLM\\SOFTWARE\\Quillon\\TarnLauncher\". /ve is the key's default\n"
                "value, which add also sets when /d or /t comes without /v. query /s lists\n"
                "every key below KEY. delete without /v or /ve removes KEY with everything\n"
                "below it. export writes REGEDIT4, or the UTF-16 files of \"Windows\n"
                "Registry Editor Version 5.00\" where text does not fit Windows-1252;\n"
                "import takes both. query and export only read the\n"
                "store and never create it. The store is the file $TARNSTARTER_REGISTRY,\n"
                "else %s.\n",
        platform::defaultStoreName());
    return 0;
}

int usage()
{
    return fail("ERROR: Invalid syntax.\nType \"tarnreg /?\" for usage.");
}

// Takes the value name at args[*i], "/ve" for the default value or "/v NAME",
// when none was given yet; false when args[*i] gives none.
bool takeValueName(
    const std::vector<std::string> &args, std::size_t *i, std::optional<std::string> *name)
{
    if (*name)
        return false;
    if (sameOption(args[*i], "/ve")) {
        *name = "";
        return true;
    }
    if (sameOption(args[*i], "/v") && *i + 1 < args.size()) {
        *name = args[++*i];
        return true;
    }
    return false;
}

int runQuery(const std::vector<std::string> &args)
{
    std::optional<std::string> name;
    bool recursive = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (sameOption(args[i], "/s") && !recursive)
            recursive = true;
        else if (!takeValueName(args, &i, &name))
            return usage();
    }
    if (args.empty() || (name && recursive))
        return usage();
    KeyName keyName;
    Key key = 0;
    if (const int failed = openKeyArgument(args[0], &keyName, &key))
        return failed;
    const std::string fullName = fullKeyName(keyName);
    if (name) {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        const long status = readValue(key, *name, &type, &data);
        regCloseKey(key);
        if (status != errorSuccess)
            return fail(notFound);
        std::printf("\n%s\n", fullName.c_str());
        printValue(*name, type, data);
        std::printf("\n");
        return 0;
    }
    if (recursive) {
        visitTree(key, fullKeyName(keyName), [](Key each, const std::string &eachName) {
            std::printf("\n%s\n", eachName.c_str());
            printValues(each);
            return true;
        });
        regCloseKey(key);
        std::printf("\n");
        return 0;
    }
    std::printf("\n%s\n", fullName.c_str());
    printValues(key);
    std::printf("\n");
    std::string subkey;
    for (std::uint32_t i = 0; regEnumKey(key, i, &subkey) == errorSuccess; ++i)
        std::printf("%s\\%s\n", fullName.c_str(), subkey.c_str());
    regCloseKey(key);
    return 0;
}

int runAdd(const std::vector<std::string> &args)
{
    if (args.empty())
        return usage();
    const auto keyName = keyArgument(args[0]);
    if (!keyName)
        return fail(invalidKey);
    std::optional<std::string> name;
    std::string typeText = "REG_SZ";
    std::string data;
    bool typed = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasArgument = i + 1 < args.size();
        if (sameOption(args[i], "/f"))
            continue;
        if (takeValueName(args, &i, &name))
            continue;
        if (!hasArgument)
            return usage();
        if (sameOption(args[i], "/t")) {
            typeText = args[++i];
            typed = true;
        } else if (sameOption(args[i], "/d")) {
            data = args[++i];
            typed = true;
        } else {
            return usage();
        }
    }
    // As reg.exe does, data without a name is the key's default value.
    if (!name && typed)
        name = "";
    RegWrite write;
    write.hive = keyName->hive;
    write.keyPath = keyName->path;
    if (name) {
        write.hasValue = true;
        write.valueName = *name;
        if (typeText == "REG_SZ") {
            write.type = regSz;
            write.data.assign(data.begin(), data.end());
            write.data.push_back(0);
        } else if (typeText == "REG_DWORD") {
            std::uint32_t value = 0;
            if (const std::string wrong = parseDword(data, &value); !wrong.empty())
                return fail(wrong);
            write.type = regDword;
            for (int shift = 0; shift < 32; shift += 8)
                write.data.push_back(static_cast<std::uint8_t>(value >> shift));
        } else {
            return usage();
        }
    }
    const long status = regWriteBatch({write});
    return status == errorSuccess ? succeed() : failStatus(status);
}

int runExport(const std::vector<std::string> &args)
{
    if (args.size() != 2)
        return usage();
    KeyName keyName;
    Key key = 0;
    if (const int failed = openKeyArgument(args[0], &keyName, &key))
        return failed;
    std::vector<RegWrite> writes;
    visitTree(key, keyName.path, [&](Key each, const std::string &path) {
        exportKey(each, {keyName.hive, path}, &writes);
        return true;
    });
    regCloseKey(key);
    std::string text;
    if (!regFile(writes, &text))
        return fail("ERROR: A name with a line break cannot be written to a .reg file.");
    std::ofstream file(filePath(args[1]), std::ios::binary | std::ios::trunc);
    if (!file.write(text.data(), static_cast<std::streamsize>(text.size())) || !file.flush())
        return fail("ERROR: Unable to write the file " + args[1] + ".");
    return succeed();
}

int runDelete(const std::vector<std::string> &args)
{
    std::optional<std::string> name;
    bool force = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (sameOption(args[i], "/f"))
            force = true;
        else if (!takeValueName(args, &i, &name))
            return usage();
    }
    if (args.empty())
        return usage();
    const auto keyName = keyArgument(args[0]);
    if (!keyName)
        return fail(invalidKey);
    if (!force) {
        if (name)
            std::printf("Delete the registry value %s (Yes/No)? ",
                name->empty() ? "(Default)" : name->c_str());
        else
            std::printf(
                "Permanently delete the registry key %s (Yes/No)? ", fullKeyName(*keyName).c_str());
        std::fflush(stdout);
        char answer[16] = {};
        if (!std::fgets(answer, sizeof answer, stdin) || (answer[0] | 0x20) != 'y') {
            std::printf("\n");
            return fail(name ? "The value was not deleted." : "The key was not deleted.");
        }
    }
    long status = errorSuccess;
    if (name) {
        Key key = 0;
        if (regOpenKey(keyName->hive, keyName->path, &key) != errorSuccess)
            return fail(notFound);
        status = regDeleteValue(key, *name);
        regCloseKey(key);
    } else {
        status = regDeleteTree(keyName->hive, keyName->path);
    }
    if (status == errorFileNotFound)
        return fail(notFound);
    return status == errorSuccess ? succeed() : failStatus(status);
}

int runImport(const std::vector<std::string> &args)
{
    if (args.size() != 1)
        return usage();
    std::ifstream file(filePath(args[0]), std::ios::binary);
    if (!file)
        return fail("ERROR: Unable to open the file " + args[0] + ".");
    std::ostringstream bytes;
    bytes << file.rdbuf();
    const RegFile parsed = parseRegFile(bytes.str());
    if (parsed.errorLine)
        return fail("ERROR: line " + std::to_string(parsed.errorLine) + ": " + parsed.error);
    const long status = regWriteBatch(parsed.writes);
    return status == errorSuccess ? succeed() : failStatus(status);
}

} // namespace tarnreg
