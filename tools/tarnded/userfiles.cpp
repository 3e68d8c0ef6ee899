#include "userfiles.h"

#include "platform/filepath.h"
#include "platform/winpath.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tarnded {

bool isFolderLocalName(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\'
        || name.find(':') != std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = name.find_first_of("/\\", start);
        const std::string_view component = name.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (component == "..")
            return false;
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return true;
}

std::string userPath(const std::string &gameFolder, std::string_view relative)
{
    return platform::hostPath(gameFolder + "/USER/" + std::string(relative));
}

std::optional<std::string> readRegularFile(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path host = platform::filePath(path);
    if (path.empty() || !std::filesystem::is_regular_file(host, error))
        return std::nullopt;
    std::ifstream file(host, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad())
        return std::nullopt;
    return std::move(content).str();
}

} // namespace tarnded
