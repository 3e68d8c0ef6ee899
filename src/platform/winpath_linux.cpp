#include "platform/winpath.h"

#include "platform/codepage.h"
#include "platform/homefolder.h"
#include "platform/pathparts.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool exists(const std::string &path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

bool existsFollowingLinks(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> components(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isSeparator(path[end]))
            ++end;
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Names compare in the code page's upper case, the case the program gives
// the folders it stores. A byte that does not begin a UTF-8 sequence stands
// for itself, so a name in a single-byte code page still matches its capitals.
std::u32string foldedName(std::string_view name)
{
    std::u32string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        out += upperCp1252(nextUtf8(name, i).value_or(byte));
    }
    return out;
}

std::string joined(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

// The entry of folder whose name matches name without regard to case; the
// exact name wins, and among several case variants the first in byte order.
bool findEntry(const std::string &folder, const std::string &name, std::string *found)
{
    if (exists(joined(folder, name))) {
        *found = name;
        return true;
    }
    DIR *dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    const std::u32string wanted = foldedName(name);
    bool matched = false;
    while (const dirent *entry = readdir(dir)) {
        // Case pairs have UTF-8 forms of equal length, so the length sorts
        // out nearly every entry of a large folder before any decoding.
        const std::string_view candidate = entry->d_name;
        if (candidate.size() != name.size())
            continue;
        if (foldedName(candidate) == wanted && (!matched || candidate < *found)) {
            *found = candidate;
            matched = true;
        }
    }
    closedir(dir);
    return matched;
}

std::string winePrefix()
{
    if (const char *prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return prefix;
    return homeFolder() + "/.wine";
}

char lowerDrive(char letter)
{
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter + 0x20) : letter;
}

// Where a path starts on the host: "/" for host paths and Z:, the drive's
// dosdevices entry for other drives, "" for a relative path. False when the
// drive is not mapped.
bool hostBase(const std::string &path, std::string *base, std::string_view *rest)
{
    if (hasDrive(path)) {
        const char drive = lowerDrive(path[0]);
        *rest = std::string_view(path).substr(2);
        if (drive == 'z') {
            *base = "/";
            return true;
        }
        *base = winePrefix() + "/dosdevices/" + drive + ':';
        return existsFollowingLinks(*base);
    }
    *rest = path;
    *base = !path.empty() && isSeparator(path[0]) ? "/" : "";
    return true;
}

struct Resolved
{
    std::string path;
    std::vector<std::string> names;
};

bool resolve(const std::string &windowsPath, Resolved *resolved)
{
    std::string_view rest;
    if (!hostBase(windowsPath, &resolved->path, &rest))
        return false;
    bool present = true;
    for (const std::string &part : components(rest)) {
        std::string name = part;
        if (present && part != "." && part != "..")
            present = findEntry(resolved->path, part, &name);
        resolved->path = joined(resolved->path, name);
        resolved->names.push_back(name);
    }
    return true;
}

} // namespace

std::string hostPath(const std::string &windowsPath)
{
    Resolved resolved;
    if (!resolve(windowsPath, &resolved))
        return {};
    return resolved.path.empty() ? std::string(".") : resolved.path;
}

std::string shortPath(const std::string &windowsPath)
{
    Resolved resolved;
    if (!resolve(windowsPath, &resolved))
        return {};
    if (!existsFollowingLinks(resolved.path.empty() ? std::string(".") : resolved.path))
        return {};
    // A path given on a mapped drive keeps that drive; anything else is
    // reached through Z:, the whole host file system.
    std::string drive = "Z:";
    std::vector<std::string> names = resolved.names;
    if (hasDrive(windowsPath) && lowerDrive(windowsPath[0]) != 'z') {
        drive = std::string(1, static_cast<char>(lowerDrive(windowsPath[0]) - 0x20)) + ':';
    } else if (resolved.path.empty() || resolved.path[0] != '/') {
        char folder[PATH_MAX];
        if (!getcwd(folder, sizeof folder))
            return {};
        names = components(folder);
        names.insert(names.end(), resolved.names.begin(), resolved.names.end());
    }
    std::vector<std::string> normal;
    for (const std::string &name : names) {
        if (name == "..") {
            if (!normal.empty())
                normal.pop_back();
        } else if (name != ".") {
            normal.push_back(name);
        }
    }
    if (normal.empty())
        return drive + '\\';
    for (const std::string &name : normal)
        drive += '\\' + name;
    return drive;
}

std::string homeFolder()
{
    if (const char *home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

} // namespace platform
