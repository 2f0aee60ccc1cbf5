#include "platform/posix/DriveMap.h"

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

Mapping Parse(const std::string& spec)
{
    Mapping mapping;
    mapping.roots['Z' - 'A'] = "/";
    std::size_t start = 0;
    while (start < spec.size()) {
        std::size_t end = spec.find(';', start);
        if (end == std::string::npos)
            end = spec.size();
        const std::string entry = spec.substr(start, end - start);
        start = end + 1;
        // "X:=/host/folder"; the folder must be absolute.
        if (entry.size() < 4 || !std::isalpha(static_cast<unsigned char>(entry[0])) || entry[1] != ':'
            || entry[2] != '=' || entry[3] != '/')
            continue;
        const int index = std::toupper(static_cast<unsigned char>(entry[0])) - 'A';
        mapping.roots[index] = NormalizeRoot(entry.substr(3));
    }
    return mapping;
}

std::mutex g_mutex;

Mapping& Current()
{
    static Mapping mapping = [] {
        const char* spec = std::getenv("TARNWICK_DRIVES");
        return Parse(spec ? spec : "");
    }();
    return mapping;
}

} // namespace

std::optional<std::string> DriveRoot(char letter)
{
    if (!std::isalpha(static_cast<unsigned char>(letter)))
        return std::nullopt;
    std::lock_guard lock(g_mutex);
    return Current().roots[std::toupper(static_cast<unsigned char>(letter)) - 'A'];
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

void SetDriveMapping(const std::string& spec)
{
    std::lock_guard lock(g_mutex);
    Current() = Parse(spec);
}

} // namespace posix
