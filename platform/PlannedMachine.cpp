#include "platform/PlannedMachine.h"

#include "platform/PathNames.h"
#include "platform/UniqueHandle.h"

#include <cstdint>

namespace {

// A key's name to compare by: its root, and its path folded as Windows compares names.
std::string KeyId(HKEY root, const std::string& keyPath)
{
    return std::to_string(reinterpret_cast<std::uintptr_t>(root)) + '\\' + FoldedPath(keyPath);
}

std::string ValueId(HKEY root, const std::string& keyPath, const std::string& name)
{
    return KeyId(root, keyPath) + '\n' + FoldedPath(name);
}

std::string JoinKey(const std::string& parent, const std::string& child)
{
    return parent.empty() ? child : parent + "\\" + child;
}

} // namespace

bool PlannedMachine::Exists(const std::string& path)
{
    const auto entry = m_entries.find(FoldedPath(path));
    return entry != m_entries.end() ? entry->second.present : MachineChanges::Exists(path);
}

BOOL PlannedMachine::CreateFolder(const std::string& path)
{
    if (Exists(path)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    const std::string parent = ParentOf(path);
    if (parent.empty() || !Exists(parent)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    m_entries[FoldedPath(path)] = Entry { true, true };
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL PlannedMachine::CopyFileTo(const std::string&, const std::string& to, ULONGLONG)
{
    RecordFile(to);
    return TRUE;
}

BOOL PlannedMachine::CopyFileSeeing(const std::string&, const std::string& to, CopiedBytes&)
{
    RecordFile(to);
    return TRUE;
}

BOOL PlannedMachine::KeepCopy(const std::string&, const std::string& to)
{
    if (Exists(to)) {
        SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    RecordFile(to);
    return TRUE;
}

void PlannedMachine::RecordFile(const std::string& to)
{
    m_entries[FoldedPath(to)] = Entry { true, false };
    SetLastError(ERROR_SUCCESS);
}

RegistryChange PlannedMachine::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    RegistryChange result;
    result.open = CanWriteKey(root, keyPath);
    // Stored as RegSetValueExA stores it: read back, it ends at its first zero byte.
    if (result.open == ERROR_SUCCESS)
        m_values[ValueId(root, keyPath, name)] = data.substr(0, data.find('\0'));
    return result;
}

RegistryChange PlannedMachine::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName)
{
    const std::string keyPath = JoinKey(parentPath, childName);
    RegistryChange result;
    if (KeyExists(root, keyPath))
        return result;
    result.open = CanWriteKey(root, parentPath);
    result.created = result.open == ERROR_SUCCESS;
    if (result.created)
        m_keys[KeyId(root, keyPath)] = Key { true };
    return result;
}

BOOL PlannedMachine::StartCommand(const std::string&)
{
    return TRUE;
}

BOOL PlannedMachine::RunCommand(const std::string&, std::optional<DWORD>& exitCode)
{
    exitCode.reset();
    return TRUE;
}

void PlannedMachine::Pause(DWORD)
{ }

std::optional<std::string> PlannedMachine::StoredText(
    HKEY root, const std::string& keyPath, const std::string& name)
{
    const auto value = m_values.find(ValueId(root, keyPath, name));
    if (value != m_values.end())
        return value->second;
    if (FindKey(root, keyPath))
        return std::nullopt; // what the plan made holds only what the plan wrote
    return MachineChanges::StoredText(root, keyPath, name);
}

const PlannedMachine::Key* PlannedMachine::FindKey(HKEY root, const std::string& keyPath) const
{
    const auto key = m_keys.find(KeyId(root, keyPath));
    return key == m_keys.end() ? nullptr : &key->second;
}

bool PlannedMachine::KeyExists(HKEY root, const std::string& keyPath)
{
    if (const Key* key = FindKey(root, keyPath))
        return key->present;
    UniqueKey key;
    return RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

LONG PlannedMachine::CanWriteKey(HKEY root, const std::string& keyPath)
{
    if (const Key* key = FindKey(root, keyPath))
        return key->present ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    UniqueKey key;
    return RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_WRITE, key.put());
}
