#include "platform/PathNames.h"

std::string FoldedPath(std::string path)
{
    FoldPathInPlace(path);
    return path;
}

void FoldPathInPlace(std::string& path)
{
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    for (char& c : path)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
}

std::size_t ParentEnd(const std::string& path)
{
    std::size_t end = path.size();
    while (end > 3 && path[end - 1] == '\\')
        --end;
    if (end == 0)
        return std::string::npos;
    const std::size_t slash = path.find_last_of('\\', end - 1);
    return slash == std::string::npos ? slash : (slash == 2 ? 3 : slash);
}

std::string ParentOf(const std::string& path)
{
    const std::size_t end = ParentEnd(path);
    return end == std::string::npos ? std::string() : path.substr(0, end);
}

bool IsDeviceName(std::string_view name)
{
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    for (const std::string_view device : { "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$" })
        if (upper == device)
            return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1'
        && upper[3] <= '9';
}
