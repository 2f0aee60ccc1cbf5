#include "cli/undo/PlainPath.h"

#include "platform/PathNames.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Why one name between separators cannot be used; empty when it can.
std::string WhyNotName(std::string_view name)
{
    if (name.empty())
        return "an empty name (two separators in a row)";
    if (name == "." || name == "..")
        return "a \".\" or \"..\" part";
    if (name.back() == '.' || name.back() == ' ')
        return "a name ending in a dot or a blank, which Windows drops";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
            return "a character Windows does not allow in a name";
    }
    if (IsDeviceName(name))
        return "the name of a device";
    return {};
}

} // namespace

std::string WhyNotPlainPath(std::string_view path)
{
    std::string_view rest;
    if (path.size() >= 3 && Upper(path[0]) >= 'A' && Upper(path[0]) <= 'Z' && path[1] == ':'
        && IsSeparator(path[2])) {
        rest = path.substr(3);
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\server\share\...: both named, neither "?" nor "." (the device and long-path forms,
        // which Windows passes on without normalising).
        rest = path.substr(2);
        for (int part = 0; part < 2; ++part) {
            std::size_t end = 0;
            while (end < rest.size() && !IsSeparator(rest[end]))
                ++end;
            const std::string_view name = rest.substr(0, end);
            const std::string why = WhyNotName(name);
            if (!why.empty())
                return "not a plain share path: " + why;
            if (end == rest.size())
                return part == 0 ? "not a full path: a server without a share" : "a share, not a path in it";
            rest = rest.substr(end + 1);
        }
    } else {
        return "not a full path from a drive or a share";
    }
    if (rest.empty())
        return "the root of a drive or a share";
    for (std::size_t start = 0;;) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end]))
            ++end;
        // A folder's path may end with one separator.
        if (!(end == rest.size() && start == end && start > 0)) {
            const std::string why = WhyNotName(rest.substr(start, end - start));
            if (!why.empty())
                return why;
        }
        if (end == rest.size())
            return {};
        start = end + 1;
    }
}
