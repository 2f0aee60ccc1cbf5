#include "registry/RegistryAccess.h"

#include "platform/MachineChanges.h"
#include "platform/UniqueHandle.h"

#include <vector>

namespace {

constexpr DWORD kSubKeyNameCapacity = 1024;

} // namespace

std::string RegistryAccess::ReadString(
    HKEY root, const std::string& keyPath, const std::string& valueName) const
{
    UniqueKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return {};
    // Ask for the size first and read into a buffer one byte larger, zero-filled, so a value of any
    // length is read whole and one stored without its terminator still ends inside the buffer. The
    // server's class path, which the Install action rewrites, may be far longer than a fixed buffer.
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return {};
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
        DWORD capacity = size;
        const LONG status = RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr,
            reinterpret_cast<LPBYTE>(buffer.data()), &capacity);
        if (status == ERROR_SUCCESS)
            return std::string(buffer.data()); // up to the first zero byte
        if (status != ERROR_MORE_DATA)
            return {};
        size = capacity; // the value grew between the two calls
    }
    return {};
}

std::string RegistryAccess::ReadPath(const std::string& reference) const
{
    const std::size_t first = reference.find('\\');
    const std::size_t last = reference.rfind('\\');
    std::string rootName = reference;
    std::string keyPath = reference;
    std::string valueName = reference;
    if (first != std::string::npos) {
        rootName = reference.substr(0, first);
        valueName = reference.substr(last + 1);
        keyPath = first == last ? valueName : reference.substr(first + 1, last - first - 1);
    }
    // Only the exact machine root's name selects it; every other root name means the user's root.
    const HKEY root = rootName == "HKEY_LOCAL_MACHINE" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    return ReadString(root, keyPath, valueName);
}

bool RegistryAccess::WriteString(
    HKEY root, const std::string& keyPath, const std::string& valueName, std::string data) const
{
    // Whether the value itself was written is not examined: callers learn only that the key opened.
    return GetMachineChanges().WriteString(root, keyPath, valueName, data).open == ERROR_SUCCESS;
}

bool RegistryAccess::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName) const
{
    return GetMachineChanges().CreateSubKey(root, parentPath, childName).open == ERROR_SUCCESS;
}

StringList RegistryAccess::EnumSubKeys(HKEY root, const std::string& keyPath) const
{
    StringList names;
    UniqueKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return names;
    char name[kSubKeyNameCapacity];
    for (DWORD index = 0;; ++index) {
        DWORD capacity = kSubKeyNameCapacity;
        if (RegEnumKeyExA(key.get(), index, name, &capacity, nullptr, nullptr, nullptr, nullptr)
            != ERROR_SUCCESS)
            break;
        names.emplace_back(name, capacity);
    }
    return names;
}
