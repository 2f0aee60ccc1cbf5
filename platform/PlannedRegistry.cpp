#include "platform/PlannedRegistry.h"

#include "platform/PathNames.h"
#include "platform/UniqueHandle.h"

#include <algorithm>
#include <cstdint>

namespace {

std::string RootId(HKEY root)
{
    return std::to_string(reinterpret_cast<std::uintptr_t>(root)) + '\\';
}

// A key's name to compare by: its root, and its path folded as Windows compares names.
std::string KeyId(HKEY root, const std::string& keyPath)
{
    return RootId(root) + FoldedPath(keyPath);
}

// What the ids of a key's subkeys start with.
std::string ChildPrefix(HKEY root, const std::string& keyPath)
{
    return keyPath.empty() ? RootId(root) : KeyId(root, keyPath) + '\\';
}

std::string ValuePrefix(HKEY root, const std::string& keyPath)
{
    return KeyId(root, keyPath) + '\n';
}

std::string ValueId(HKEY root, const std::string& keyPath, const std::string& name)
{
    return ValuePrefix(root, keyPath) + FoldedPath(name);
}

std::string JoinKey(const std::string& parent, const std::string& child)
{
    return parent.empty() ? child : parent + "\\" + child;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool HasName(const std::vector<std::string>& names, const std::string& name)
{
    return std::ranges::any_of(
        names, [&](const std::string& n) { return FoldedPath(n) == FoldedPath(name); });
}

} // namespace

RegistryChange PlannedRegistry::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    RegistryChange result;
    result.open = CanWriteKey(root, keyPath);
    // Stored as RegSetValueExA stores it: read back, it ends at its first zero byte.
    if (result.open == ERROR_SUCCESS)
        m_values[ValueId(root, keyPath, name)] = Value { data.substr(0, data.find('\0')), name };
    return result;
}

RegistryChange PlannedRegistry::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName)
{
    const std::string keyPath = JoinKey(parentPath, childName);
    RegistryChange result;
    if (KeyExists(root, keyPath))
        return result;
    result.open = CanWriteKey(root, parentPath);
    result.created = result.open == ERROR_SUCCESS;
    if (!result.created)
        return result;
    // Every missing key on the way is made, as RegCreateKeyExA makes them.
    std::string path = parentPath;
    for (std::size_t start = 0; start <= childName.size();) {
        const std::size_t end = std::min(childName.find('\\', start), childName.size());
        const std::string part = childName.substr(start, end - start);
        path = JoinKey(path, part);
        if (!KeyExists(root, path))
            m_keys[KeyId(root, path)] = Key { true, part };
        start = end + 1;
    }
    return result;
}

RegistryChange PlannedRegistry::DeleteValue(HKEY root, const std::string& keyPath, const std::string& name)
{
    RegistryChange result;
    result.open = CanWriteKey(root, keyPath);
    if (result.open != ERROR_SUCCESS)
        return result;
    if (!StoredText(root, keyPath, name))
        result.change = ERROR_FILE_NOT_FOUND;
    else
        m_values[ValueId(root, keyPath, name)] = Value { std::nullopt, name };
    return result;
}

RegistryChange PlannedRegistry::DeleteKey(HKEY root, const std::string& keyPath)
{
    RegistryChange result;
    KeyNames names;
    if (keyPath.empty())
        result.change = ERROR_ACCESS_DENIED; // a root
    else if (!KeyExists(root, keyPath) || !ListKey(root, keyPath, names))
        result.change = ERROR_FILE_NOT_FOUND;
    else if (!names.subkeys.empty())
        result.change = ERROR_ACCESS_DENIED;
    else
        result.change = CanWriteKey(root, keyPath);
    if (result.change != ERROR_SUCCESS)
        return result;
    const std::string prefix = ValuePrefix(root, keyPath);
    auto value = m_values.lower_bound(prefix);
    while (value != m_values.end() && StartsWith(value->first, prefix))
        value = m_values.erase(value);
    const std::size_t slash = keyPath.find_last_of('\\');
    m_keys[KeyId(root, keyPath)] = Key { false, keyPath.substr(slash == std::string::npos ? 0 : slash + 1) };
    return result;
}

std::optional<std::string> PlannedRegistry::StoredText(
    HKEY root, const std::string& keyPath, const std::string& name)
{
    const auto value = m_values.find(ValueId(root, keyPath, name));
    if (value != m_values.end())
        return value->second.data;
    if (FindKey(root, keyPath))
        return std::nullopt; // a key the plan made holds only what the plan wrote
    return m_machine.StoredText(root, keyPath, name);
}

bool PlannedRegistry::ListKey(HKEY root, const std::string& keyPath, KeyNames& names)
{
    KeyNames found;
    if (const Key* key = FindKey(root, keyPath)) {
        if (!key->present)
            return false;
    } else if (!m_machine.ListKey(root, keyPath, found)) {
        return false;
    }
    AddPlannedNames(root, keyPath, found);
    names = std::move(found);
    return true;
}

// What the plan made and removed below the key, over what the machine lists.
void PlannedRegistry::AddPlannedNames(HKEY root, const std::string& keyPath, KeyNames& names) const
{
    const std::string children = ChildPrefix(root, keyPath);
    for (auto key = m_keys.lower_bound(children); key != m_keys.end() && StartsWith(key->first, children);
         ++key) {
        if (key->first.find('\\', children.size()) != std::string::npos)
            continue; // deeper down
        std::erase_if(names.subkeys,
            [&](const std::string& n) { return FoldedPath(n) == FoldedPath(key->second.name); });
        if (key->second.present)
            names.subkeys.push_back(key->second.name);
    }
    const std::string values = ValuePrefix(root, keyPath);
    for (auto value = m_values.lower_bound(values);
         value != m_values.end() && StartsWith(value->first, values); ++value) {
        if (!value->second.data)
            std::erase_if(names.values,
                [&](const std::string& n) { return FoldedPath(n) == FoldedPath(value->second.name); });
        else if (!HasName(names.values, value->second.name))
            names.values.push_back(value->second.name);
    }
}

const PlannedRegistry::Key* PlannedRegistry::FindKey(HKEY root, const std::string& keyPath) const
{
    const auto key = m_keys.find(KeyId(root, keyPath));
    return key == m_keys.end() ? nullptr : &key->second;
}

bool PlannedRegistry::KeyExists(HKEY root, const std::string& keyPath)
{
    if (const Key* key = FindKey(root, keyPath))
        return key->present;
    UniqueKey key;
    return RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

LONG PlannedRegistry::CanWriteKey(HKEY root, const std::string& keyPath)
{
    if (const Key* key = FindKey(root, keyPath))
        return key->present ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    UniqueKey key;
    return RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_WRITE, key.put());
}
