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
