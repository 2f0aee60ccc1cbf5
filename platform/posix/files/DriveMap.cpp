#include "platform/posix/files/DriveMap.h"

#include <array>
#include <cctype>
#include <cstdlib>
#include <mutex>

namespace posix {

namespace {

struct Mapping {
    std::array<std::optional<std::string>, 26> roots;
};

std::string NormalizeRoot(std::string root)
{
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

Mapping Parse(const std::string& text)
{
    Mapping mapping;
    mapping.roots['Z' - 'A'] = "/";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = text.substr(start, end - start);
        start = end + 1;
        // "X:=/host/folder"; the folder must be absolute.
        const int index = entry.empty() ? -1 : DriveIndex(entry[0]);
        if (entry.size() < 4 || index < 0 || entry[1] != ':' || entry[2] != '=' || entry[3] != '/')
            continue;
        mapping.roots[index] = NormalizeRoot(entry.substr(3));
    }
    return mapping;
}

std::mutex g_mutex;

Mapping& Current()
{
    static Mapping mapping = [] {
        const char* text = std::getenv("TARNWICK_DRIVES");
        return Parse(text ? text : "");
    }();
    return mapping;
}

} // namespace

int DriveIndex(char letter)
{
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    return -1;
}

std::optional<std::string> DriveRoot(char letter)
{
    const int index = DriveIndex(letter);
    if (index < 0)
        return std::nullopt;
    std::lock_guard lock(g_mutex);
    return Current().roots[static_cast<std::size_t>(index)];
}

std::string WindowsPathOfHost(const std::string& hostPath)
{
    std::lock_guard lock(g_mutex);
    const Mapping& mapping = Current();
    int best = -1;
    std::size_t bestLength = 0;
    for (int i = 0; i < 26; ++i) {
        if (!mapping.roots[i])
            continue;
        const std::string& root = *mapping.roots[i];
        const bool holds = root == "/"
            || (hostPath.compare(0, root.size(), root) == 0
                && (hostPath.size() == root.size() || hostPath[root.size()] == '/'));
        const std::size_t length = root == "/" ? 0 : root.size();
        if (holds && (best < 0 || length > bestLength)) {
            best = i;
            bestLength = length;
        }
    }
    if (best < 0)
        return {};
    std::string result { static_cast<char>('A' + best), ':', '\\' };
    std::string rest = hostPath.substr(bestLength);
    std::size_t i = 0;
    while (i < rest.size() && rest[i] == '/')
        ++i;
    for (; i < rest.size(); ++i)
        result += rest[i] == '/' ? '\\' : rest[i];
    if (result.size() > 3 && result.back() == '\\')
        result.pop_back();
    return result;
}

void SetDriveMapping(const std::string& text)
{
    std::lock_guard lock(g_mutex);
    Current() = Parse(text);
}

} // namespace posix
