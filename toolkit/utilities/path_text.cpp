#include "utilities/path_text.h"

std::string JoinPath(std::string_view directory, std::string_view name)
{
    std::string path(directory);
    if (!path.empty() && path.back() != '\\' && path.back() != ':') path += '\\';
    return path += name;
}

std::string WithoutBrackets(std::string_view item)
{
    return item.size() >= 2 ? std::string(item.substr(1, item.size() - 2)) : std::string();
}

char DriveLetterOf(std::string_view path)
{
    if (path.size() < 2 || path[1] != ':') return '\0';
    const char c = path[0];
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::size_t RootLength(std::string_view path)
{
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
    if (!path.starts_with("\\\\")) return 0;
    const std::size_t server = path.find('\\', 2);
    if (server == std::string_view::npos) return path.size();
    const std::size_t share = path.find('\\', server + 1);
    return share == std::string_view::npos ? path.size() : share + 1;
}

std::vector<std::string> DirectoriesOnPath(std::string_view path)
{
    std::vector<std::string> directories;
    for (std::size_t at = path.find('\\'); at != std::string_view::npos; at = path.find('\\', at + 1))
        if (at != 0 && path[at - 1] != ':' && path[at - 1] != '\\') directories.emplace_back(path.substr(0, at));
    directories.emplace_back(path);
    return directories;
}
