#include "platform/PlannedMachine.h"

#include "platform/PathNames.h"
#include "platform/UniqueHandle.h"

#include <cstring>

namespace {

bool IsDriveRoot(const std::string& path)
{
    const std::string folded = FoldedPath(path);
    return folded.size() <= 3 && folded.size() >= 2 && folded[1] == ':';
}

} // namespace

bool PlannedMachine::Exists(const std::string& path)
{
    const auto entry = m_entries.find(FoldedPath(path));
    return entry != m_entries.end() ? entry->second.present : MachineChanges::Exists(path);
}

PathState PlannedMachine::LookAt(const std::string& path)
{
    const auto entry = m_entries.find(FoldedPath(path));
    return entry != m_entries.end() ? entry->second : MachineChanges::LookAt(path);
}

BOOL PlannedMachine::CreateFolder(const std::string& path)
{
    if (Exists(path)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    // A drive's root is a folder here, though a folder listing never names it.
    if (!ParentPresent(path)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    m_entries[FoldedPath(path)] = PathState { true, true, FILE_ATTRIBUTE_DIRECTORY, 0, path };
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL PlannedMachine::CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size)
{
    PathState copy { true, false, 0, size, from };
    // A copy of a copy the plan made holds what that one holds. The plan makes only full paths; a
    // package's files, the sources of nearly every copy, are named from inside its folder.
    const bool full = from.size() > 2 && (from[1] == ':' || (from[0] == '\\' && from[1] == '\\'));
    const auto source = full ? m_entries.find(FoldedPath(from)) : m_entries.end();
    if (source != m_entries.end() && source->second.present) {
        copy.attributes = source->second.attributes;
        copy.contents = source->second.contents;
    }
    m_entries[FoldedPath(to)] = std::move(copy);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL PlannedMachine::CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes&)
{
    return PlanCopy(from, to, true);
}

BOOL PlannedMachine::KeepCopy(const std::string& from, const std::string& to)
{
    return PlanCopy(from, to, false);
}

BOOL PlannedMachine::RestoreFile(const std::string& copy, const std::string& path)
{
    return PlanCopy(copy, path, true);
}

BOOL PlannedMachine::PlanCopy(const std::string& from, const std::string& to, bool replace)
{
    const PathState source = LookAt(from);
    if (!source.present)
        return Missing(from);
    const PathState target = LookAt(to);
    DWORD error = ERROR_SUCCESS;
    if (source.folder)
        error = ERROR_ACCESS_DENIED;
    else if (target.present && !replace)
        error = ERROR_FILE_EXISTS;
    else if (target.present && (target.folder || (target.attributes & FILE_ATTRIBUTE_READONLY)))
        error = ERROR_ACCESS_DENIED; // Windows replaces neither, even for an administrator
    else if (!target.present && !ParentPresent(to))
        error = ERROR_PATH_NOT_FOUND;
    SetLastError(error);
    if (error != ERROR_SUCCESS)
        return FALSE;
    m_entries[FoldedPath(to)] = PathState { true, false, source.attributes, source.bytes, source.contents };
    return TRUE;
}

BOOL PlannedMachine::RemoveFile(const std::string& path)
{
    const PathState state = LookAt(path);
    if (!state.present)
        return Missing(path);
    if (state.folder || (state.attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    m_entries[FoldedPath(path)] = PathState {};
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL PlannedMachine::RemoveFolder(const std::string& path)
{
    const PathState state = LookAt(path);
    if (!state.present)
        return Missing(path);
    DWORD error = ERROR_SUCCESS;
    if (!state.folder)
        error = ERROR_DIRECTORY;
    else if (IsDriveRoot(path))
        error = ERROR_ACCESS_DENIED;
    else if (HoldsAnything(path))
        error = ERROR_DIR_NOT_EMPTY;
    SetLastError(error);
    if (error != ERROR_SUCCESS)
        return FALSE;
    m_entries[FoldedPath(path)] = PathState {};
    return TRUE;
}

BOOL PlannedMachine::Missing(const std::string& path)
{
    SetLastError(ParentPresent(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return FALSE;
}

bool PlannedMachine::ParentPresent(const std::string& path)
{
    const std::string parent = ParentOf(path);
    if (parent.empty())
        return false;
    const PathState state = LookAt(parent);
    return state.present && state.folder;
}

bool PlannedMachine::HoldsAnything(const std::string& folder)
{
    std::string prefix = FoldedPath(folder);
    if (prefix.back() != '\\')
        prefix += '\\';
    // A walk over everything the plan made: only an undo's plan asks, once a folder it removes.
    for (const auto& [name, state] : m_entries)
        if (state.present && name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0)
            return true;
    // What the machine holds there, but for what the plan removed.
    std::string pattern = folder;
    if (pattern.back() != '\\')
        pattern += '\\';
    WIN32_FIND_DATAA data {};
    const UniqueFind find(FindFirstFileA((pattern + "*").c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find.get(), &data) != FALSE) {
        if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0)
            continue;
        const auto entry = m_entries.find(prefix + FoldedPath(data.cFileName));
        if (entry == m_entries.end() || entry->second.present)
            return true;
    }
    return false;
}

RegistryChange PlannedMachine::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    return m_registry.WriteString(root, keyPath, name, data);
}

RegistryChange PlannedMachine::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName)
{
    return m_registry.CreateSubKey(root, parentPath, childName);
}

RegistryChange PlannedMachine::DeleteValue(HKEY root, const std::string& keyPath, const std::string& name)
{
    return m_registry.DeleteValue(root, keyPath, name);
}

RegistryChange PlannedMachine::DeleteKey(HKEY root, const std::string& keyPath)
{
    return m_registry.DeleteKey(root, keyPath);
}

std::optional<std::string> PlannedMachine::StoredText(
    HKEY root, const std::string& keyPath, const std::string& name)
{
    return m_registry.StoredText(root, keyPath, name);
}

bool PlannedMachine::ListKey(HKEY root, const std::string& keyPath, KeyNames& names)
{
    return m_registry.ListKey(root, keyPath, names);
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
