#include "cli/status/DesiredState.h"

#include "cli/install/ObservedChanges.h"
#include "cli/TextCase.h"
#include "platform/PathNames.h"
#include "registry/ServerKeys.h"

#include <algorithm>

namespace {

bool IsClassPath(HKEY root, const std::string& keyPath, const std::string& name)
{
    return root == HKEY_LOCAL_MACHINE && EqualsNoCase(keyPath, kJvmKey)
        && EqualsNoCase(name, kJavaClassPathValue);
}

// What a write of data over old appends, as the class path update makes it: old, a ';' unless
// old ends with one, and the package's entries. Empty when data is not old with more after it.
std::string Appended(const std::optional<std::string>& old, const std::string& data)
{
    const std::string before = old.value_or(std::string());
    if (data.size() <= before.size() || data.compare(0, before.size(), before) != 0)
        return {};
    std::string appended = data.substr(before.size());
    if (appended.front() == ';')
        appended.erase(0, 1);
    return appended;
}

} // namespace

DesiredState::DesiredState(MachineChanges& plan)
    : ForwardingChanges(plan)
{ }

DesiredItem& DesiredState::Item(DesiredItem::Kind kind, const std::string& id)
{
    const std::string key = std::to_string(static_cast<int>(kind)) + ":" + id;
    const auto [found, added] = m_index.emplace(key, m_items.size());
    if (added) {
        m_items.emplace_back();
        m_items.back().kind = kind;
    }
    return m_items[found->second];
}

BOOL DesiredState::CreateFolder(const std::string& path)
{
    Item(DesiredItem::Kind::Folder, FoldedPath(path)).path = path;
    return Machine().CreateFolder(path);
}

void DesiredState::AddFile(const std::string& from, const std::string& to)
{
    DesiredItem& item = Item(DesiredItem::Kind::File, FoldedPath(to));
    item.path = to;
    item.data = from; // a later copy to the same file replaces an earlier one
}

BOOL DesiredState::CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size)
{
    AddFile(from, to);
    return Machine().CopyFileTo(from, to, size);
}

BOOL DesiredState::CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes)
{
    AddFile(from, to);
    return Machine().CopyFileSeeing(from, to, bytes);
}

RegistryChange DesiredState::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    const std::string key = FullKeyName(root, keyPath);
    DesiredItem& item = Item(DesiredItem::Kind::Value, FoldedPath(key) + "\n" + FoldedPath(name));
    item.path = key;
    item.root = root;
    item.keyPath = keyPath;
    item.name = name;
    item.data = data;
    item.entries = false;
    // The class path is shared: the install appends its entries to whatever the value holds, and
    // the entries are what it wants there.
    if (IsClassPath(root, keyPath, name)) {
        const std::string appended = Appended(Machine().StoredText(root, keyPath, name), data);
        if (!appended.empty()) {
            item.data = appended;
            item.entries = true;
        }
    }
    return Machine().WriteString(root, keyPath, name, data);
}

RegistryChange DesiredState::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName)
{
    const std::string keyPath = parentPath.empty() ? childName : parentPath + "\\" + childName;
    const std::string key = FullKeyName(root, keyPath);
    DesiredItem& item = Item(DesiredItem::Kind::Key, FoldedPath(key));
    item.path = key;
    item.root = root;
    item.keyPath = keyPath;
    return Machine().CreateSubKey(root, parentPath, childName);
}

std::string FullKeyName(HKEY root, const std::string& keyPath)
{
    return keyPath.empty() ? RootName(root) : RootName(root) + "\\" + keyPath;
}

std::vector<std::string> PathEntries(const std::string& list)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            entries.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

bool HoldsEntries(const std::string& list, const std::string& wanted)
{
    const std::vector<std::string> held = PathEntries(list);
    const std::vector<std::string> entries = PathEntries(wanted);
    return !entries.empty() && std::all_of(entries.begin(), entries.end(), [&](const std::string& entry) {
        return std::find(held.begin(), held.end(), entry) != held.end();
    });
}
