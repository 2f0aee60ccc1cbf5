#include "engine/PathText.h"

#include "registry/RegistryAccess.h"

namespace {

std::string ReplaceAll(
    const std::string& text, const std::string& placeholder, const std::string& replacement)
{
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, from)) {
        result.append(text, from, at - from);
        result += replacement;
        from = at + placeholder.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

} // namespace

std::string ReplaceDirectoryPlaceholders(const std::string& text, const DirectoryTexts& directories)
{
    std::string result = ReplaceAll(text, "%DIR1%", directories.dir1);
    result = ReplaceAll(result, "%DIR2%", directories.dir2);
    return ReplaceAll(result, "%DIR3%", directories.dir3);
}

std::string CollapseDoubledBackslashes(const std::string& path)
{
    std::string result;
    result.reserve(path.size());
    std::size_t i = 0;
    if (path.compare(0, 2, "\\\\") == 0) {
        result = "\\\\";
        i = 2;
    }
    while (i < path.size()) {
        result += path[i];
        i += path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\' ? 2 : 1;
    }
    return result;
}

std::string DirectoryRowDefault(const std::string& value)
{
    return value.compare(0, 4, "HKEY") == 0 ? RegistryAccess().ReadPath(value) : value;
}
