#include "platform/posix/registry/RegistryTree.h"

#include "platform/posix/CaseFold.h"

#include <algorithm>

namespace posix {

namespace {

auto LowerBound(const std::vector<std::unique_ptr<RegistryKey>>& keys, std::string_view name)
{
    return std::lower_bound(
        keys.begin(), keys.end(), name, [](const std::unique_ptr<RegistryKey>& key, std::string_view n) {
            return CompareFolded(key->name, n) < 0;
        });
}

} // namespace

RegistryKey* RegistryKey::FindSubKey(std::string_view childName) const
{
    auto it = LowerBound(subkeys, childName);
    if (it != subkeys.end() && EqualsFolded((*it)->name, childName))
        return it->get();
    return nullptr;
}

RegistryKey& RegistryKey::AddSubKey(std::string_view childName, bool* created)
{
    // A .reg file lists keys in order, so loading one adds each key after its last sibling: look
    // there before searching.
    auto it = subkeys.cend();
    const int order = subkeys.empty() ? -1 : CompareFolded(subkeys.back()->name, childName);
    if (order == 0)
        --it;
    else if (order > 0)
        it = LowerBound(subkeys, childName);
    const bool exists = it != subkeys.cend() && EqualsFolded((*it)->name, childName);
    if (created)
        *created = !exists;
    if (exists)
        return **it;
    auto key = std::make_unique<RegistryKey>();
    key->name = std::string(childName);
    return **subkeys.insert(it, std::move(key));
}

bool RegistryKey::RemoveSubKey(std::string_view childName)
{
    auto it = LowerBound(subkeys, childName);
    if (it == subkeys.end() || !EqualsFolded((*it)->name, childName))
        return false;
    subkeys.erase(it);
    return true;
}

const RegistryValue* RegistryKey::FindValue(std::string_view valueName) const
{
    for (const RegistryValue& value : values)
        if (EqualsFolded(value.name, valueName))
            return &value;
    return nullptr;
}

void RegistryKey::SetValue(std::string_view valueName, DWORD type, std::string data)
{
    for (RegistryValue& value : values) {
        if (EqualsFolded(value.name, valueName)) {
            // Windows keeps the name's first spelling when a value is replaced.
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    values.push_back(RegistryValue { std::string(valueName), type, std::move(data) });
}

bool RegistryKey::RemoveValue(std::string_view valueName)
{
    auto it = std::find_if(values.begin(), values.end(),
        [&](const RegistryValue& value) { return EqualsFolded(value.name, valueName); });
    if (it == values.end())
        return false;
    values.erase(it);
    return true;
}

RegistryTree::RegistryTree()
{
    for (const char* root : { "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS" })
        m_top.AddSubKey(root);
    // What every Windows machine has, so that tests and seeds need not make them.
    m_top.FindSubKey("HKEY_LOCAL_MACHINE")->AddSubKey("SOFTWARE");
    m_top.FindSubKey("HKEY_CURRENT_USER")->AddSubKey("Software");
}

const RegistryKey* RegistryTree::Find(const KeyPath& path) const
{
    const RegistryKey* key = &m_top;
    for (const std::string& name : path) {
        key = key->FindSubKey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

RegistryKey* RegistryTree::Find(const KeyPath& path)
{
    return const_cast<RegistryKey*>(static_cast<const RegistryTree*>(this)->Find(path));
}

RegistryKey& RegistryTree::Create(const KeyPath& path, bool* created)
{
    RegistryKey* key = &m_top;
    bool isNew = false;
    for (const std::string& name : path)
        key = &key->AddSubKey(name, &isNew);
    if (created)
        *created = isNew;
    return *key;
}

bool RegistryTree::Remove(const KeyPath& path)
{
    if (path.size() < 2) // the predefined roots stay
        return false;
    KeyPath parentPath(path.begin(), path.end() - 1);
    RegistryKey* parent = Find(parentPath);
    return parent && parent->RemoveSubKey(path.back());
}

std::vector<std::string> RegistryTree::SplitKeyPath(std::string_view subKey)
{
    std::vector<std::string_view> names;
    SplitKeyNames(subKey, names);
    return { names.begin(), names.end() };
}

void RegistryTree::SplitKeyNames(std::string_view subKey, std::vector<std::string_view>& names)
{
    names.clear();
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = subKey.find('\\', start);
        if (end == std::string_view::npos)
            end = subKey.size();
        if (end > start)
            names.push_back(subKey.substr(start, end - start));
        start = end + 1;
    }
}

std::string_view PredefinedRootName(HKEY key)
{
    if (key == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (key == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (key == HKEY_USERS)
        return "HKEY_USERS";
    return {};
}

} // namespace posix
