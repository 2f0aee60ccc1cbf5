#include "RegistryHelpers.h"

#include "platform/UniqueHandle.h"

void SeedKey(HKEY root, const std::string& path)
{
    UniqueKey key;
    ASSERT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
            key.put(), nullptr))
        << path;
}

void SeedString(HKEY root, const std::string& path, const std::string& name, const std::string& data)
{
    UniqueKey key;
    ASSERT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
            key.put(), nullptr))
        << path;
    ASSERT_EQ(ERROR_SUCCESS,
        RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
            static_cast<DWORD>(data.size() + 1)));
}

bool KeyExists(HKEY root, const std::string& path)
{
    UniqueKey key;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::optional<StoredValue> ReadValue(HKEY root, const std::string& path, const std::string& name)
{
    UniqueKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(
            key.get(), name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(size);
    return StoredValue { type, data };
}

std::map<std::string, std::string> ReadStrings(HKEY root, const std::string& path)
{
    std::map<std::string, std::string> values;
    UniqueKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        char data[4096];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(
                key.get(), index, name, &nameSize, nullptr, &type, reinterpret_cast<LPBYTE>(data), &dataSize)
            != ERROR_SUCCESS)
            break;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type) << path << "\\" << name;
        std::string text(data, dataSize);
        EXPECT_TRUE(!text.empty() && text.back() == '\0') << path << "\\" << name << " lacks its terminator";
        if (!text.empty() && text.back() == '\0')
            text.pop_back();
        values[name] = text;
    }
    return values;
}

std::vector<std::string> SubKeyNames(HKEY root, const std::string& path)
{
    std::vector<std::string> names;
    UniqueKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, size);
    }
    return names;
}
