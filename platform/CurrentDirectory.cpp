#include "platform/CurrentDirectory.h"

#include "platform/win32.h"

#include <vector>

std::string GetCurrentDirectoryText()
{
    // The size needed can change between the calls only when another thread changes directory.
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<char> buffer(size + 1, '\0');
        const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        size = length;
    }
    return {};
}

std::string GetFullPathText(const std::string& name)
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return {};
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<char> buffer(size + 1, '\0');
        const DWORD length
            = GetFullPathNameA(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        size = length;
    }
    return {};
}

std::string CurrentDirectoryFile(const std::string& name)
{
    const std::string full = GetCurrentDirectoryText() + "\\" + name;
    return full.size() < MAX_PATH ? full : name;
}
