#include "variables.h"

#include "configline.h"

#include <algorithm>
#include <array>

namespace tarnded {

namespace {

constexpr std::array<std::pair<const char *, const char *>, 10> standardVariables = {{
    {"hostname", "noname"},
    {"deathmatch", "1"},
    {"dmflags", "0"},
    {"fraglimit", "0"},
    {"timelimit", "0"},
    {"maxclients", "8"},
    {"maxspectators", "4"},
    {"public", "0"},
    {"sv_gravity", "800"},
    {"mapname", ""},
}};

constexpr std::array<std::pair<const char *, const char *>, 7> hiddenDefaults = {{
    {"hostport", "28910"},
    {"dedicated", "0"},
    {"net_ip", "127.0.0.1"},
    {"rcon_password", ""},
    {"logfile", "0"},
    {"bots", "0"},
    {"clients", "0"},
}};

bool isStandard(std::string_view name)
{
    return std::any_of(standardVariables.begin(), standardVariables.end(),
        [name](const auto &entry) { return name == entry.first; });
}

bool isPassword(std::string_view name)
{
    return name == "password" || name == "rcon_password";
}

} // namespace

Variables::Variables()
{
    for (const auto &[name, value] : standardVariables)
        values_.emplace(name, value);
    for (const auto &[name, value] : hiddenDefaults)
        values_.emplace(name, value);
}

bool Variables::contains(std::string_view name) const
{
    return values_.contains(toLower(name));
}

std::string Variables::value(std::string_view name) const
{
    const auto found = values_.find(toLower(name));
    return found == values_.end() ? std::string() : found->second;
}

long long Variables::number(std::string_view name) const
{
    return toInteger(value(name));
}

void Variables::set(std::string_view name, std::string value)
{
    std::string key = toLower(name);
    if (std::find(setOrder_.begin(), setOrder_.end(), key) == setOrder_.end())
        setOrder_.push_back(key);
    values_[std::move(key)] = std::move(value);
}

std::vector<std::pair<std::string, std::string>> Variables::serverInfo() const
{
    std::vector<std::pair<std::string, std::string>> info;
    for (const auto &entry : standardVariables)
        info.emplace_back(entry.first, values_.at(entry.first));
    for (const std::string &name : setOrder_) {
        if (!isStandard(name) && !isPassword(name))
            info.emplace_back(name, values_.at(name));
    }
    return info;
}

} // namespace tarnded
