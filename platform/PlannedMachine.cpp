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

PathState StateOf(const PlannedOverlay::Entry& entry)
{
    return PathState { entry.present, entry.folder, entry.attributes, entry.bytes, std::string(entry.contents) };
}

// The machine's answer to opening path for access, which changes nothing: only a refusal counts,
// so a system that cannot tell lets the change itself decide.
bool Grants(const std::string& path, DWORD access)
{
    const UniqueFile probe(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return probe || GetLastError() != ERROR_ACCESS_DENIED;
}

} // namespace

bool PlannedMachine::Exists(const std::string& path)
{
    if (const PlannedOverlay::Entry* entry = m_overlay.Find(path))
        return entry->present;
    return !m_overlay.MadeParentOf(path) && MachineChanges::Exists(path);
}

PathState PlannedMachine::LookAt(const std::string& path)
{
    if (const PlannedOverlay::Entry* entry = m_overlay.Find(path))
        return StateOf(*entry);
    return m_overlay.MadeParentOf(path) ? PathState {} : MachineChanges::LookAt(path);
}

BOOL PlannedMachine::CreateFolder(const std::string& path)
{
    DWORD error = Exists(path) ? ERROR_ALREADY_EXISTS : RefusalToAdd(path);
    SetLastError(error);
    if (error != ERROR_SUCCESS)
        return FALSE;
    m_overlay.Set(path, { true, true, FILE_ATTRIBUTE_DIRECTORY, 0, path });
    m_checkedFolder.clear();
    return TRUE;
}

BOOL PlannedMachine::CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size)
{
    const DWORD error = RefusalToWrite(to, true);
    SetLastError(error);
    if (error != ERROR_SUCCESS)
        return FALSE;
    PlannedOverlay::Entry copy { true, false, 0, size, from };
    // A copy of a copy the plan made holds what that one holds. The plan makes only full paths; a
    // package's files, the sources of nearly every copy, are named from inside its folder.
    const bool full = from.size() > 2 && (from[1] == ':' || (from[0] == '\\' && from[1] == '\\'));
    if (const PlannedOverlay::Entry* source = full ? m_overlay.Find(from) : nullptr; source && source->present) {
        copy.attributes = source->attributes;
        copy.contents = source->contents;
    }
    m_overlay.Set(to, copy);
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
    const DWORD error = source.folder ? ERROR_ACCESS_DENIED : RefusalToWrite(to, replace);
    SetLastError(error);
    if (error != ERROR_SUCCESS)
        return FALSE;
    m_overlay.Set(to, { true, false, source.attributes, source.bytes, source.contents });
    return TRUE;
}

DWORD PlannedMachine::RefusalToWrite(const std::string& to, bool replace)
{
    bool present = false;
    DWORD attributes = 0;
    if (const PlannedOverlay::Entry* entry = m_overlay.Find(to)) {
        present = entry->present;
        attributes = entry->attributes;
    } else if (m_overlay.MadeParentOf(to)) {
        return ERROR_SUCCESS; // a new file in a folder the plan made
    } else {
        attributes = GetFileAttributesA(to.c_str());
        present = attributes != INVALID_FILE_ATTRIBUTES;
    }
    if (!present)
        return RefusalToAdd(to);
    if (!replace)
        return ERROR_FILE_EXISTS;
    // Windows replaces neither, even for an administrator.
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

DWORD PlannedMachine::RefusalToAdd(const std::string& path)
{
    // A folder the plan made takes anything: its maker may write it.
    if (m_overlay.MadeParentOf(path))
        return ERROR_SUCCESS;
    const std::string parent = ParentOf(path);
    if (parent.empty())
        return ERROR_PATH_NOT_FOUND;
    if (parent == m_checkedFolder)
        return m_checkedRefusal;
    const PathState state = LookAt(parent);
    if (!state.present || !state.folder)
        m_checkedRefusal = ERROR_PATH_NOT_FOUND;
    else if (m_overlay.Find(parent))
        m_checkedRefusal = ERROR_SUCCESS; // made by the plan, spelled otherwise
    else
        m_checkedRefusal = Grants(parent, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    m_checkedFolder = parent;
    return m_checkedRefusal;
}

bool PlannedMachine::MayRemove(const std::string& path)
{
    return Grants(path, DELETE);
}

BOOL PlannedMachine::RemoveFile(const std::string& path)
{
    const PathState state = LookAt(path);
    if (!state.present)
        return Missing(path);
    DWORD error = ERROR_SUCCESS;
    if (state.folder || (state.attributes & FILE_ATTRIBUTE_READONLY))
        error = ERROR_ACCESS_DENIED;
    else if (!m_overlay.Find(path) && !MayRemove(path))
        error = ERROR_ACCESS_DENIED; // what the plan made, it may remove
    SetLastError(error);
    if (error != ERROR_SUCCESS)
        return FALSE;
    m_overlay.Set(path, {});
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
    else if (IsDriveRoot(path) || (!m_overlay.Find(path) && !MayRemove(path)))
        error = ERROR_ACCESS_DENIED;
    else if (HoldsAnything(path))
        error = ERROR_DIR_NOT_EMPTY;
    SetLastError(error);
    if (error != ERROR_SUCCESS)
        return FALSE;
    m_overlay.Set(path, {});
    m_checkedFolder.clear();
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
    if (m_overlay.MadeBelow(folder))
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
        const PlannedOverlay::Entry* entry = m_overlay.Find(pattern + data.cFileName);
        if (!entry || entry->present)
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
