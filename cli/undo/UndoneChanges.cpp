#include "cli/undo/UndoneChanges.h"

namespace {

const Change kNoChange;

LONG StatusOf(const RegistryChange& result)
{
    return result.open != ERROR_SUCCESS ? result.open : result.change;
}

} // namespace

UndoneChanges::UndoneChanges(EventLog& log, MachineChanges& machine)
    : ForwardingChanges(machine)
    , m_log(log)
    , m_change(&kNoChange)
{ }

void UndoneChanges::Undoing(const Change& change, std::string entryRemoved)
{
    m_change = &change;
    m_entryRemoved = std::move(entryRemoved);
}

std::string UndoneChanges::What() const
{
    return m_change->key + " \"" + m_change->name + "\"";
}

RegistryChange UndoneChanges::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    if (!m_log.Recordable())
        return RegistryChange { kNotRecorded };
    const RegistryChange result = Machine().WriteString(root, keyPath, name, data);
    if (StatusOf(result) != ERROR_SUCCESS)
        return result;
    m_log.Write(ValueWrittenEvent { .key = m_change->key,
                    .name = m_change->name,
                    .old = m_change->newData,
                    .newData = data,
                    .entryRemoved = m_entryRemoved,
                    .result = ERROR_SUCCESS },
        m_entryRemoved.empty()
            ? "restored " + What()
            : "took " + m_entryRemoved + " out of " + What() + ", which has changed since the install");
    return result;
}

RegistryChange UndoneChanges::DeleteValue(HKEY root, const std::string& keyPath, const std::string& name)
{
    if (!m_log.Recordable())
        return RegistryChange { kNotRecorded };
    const RegistryChange result = Machine().DeleteValue(root, keyPath, name);
    if (StatusOf(result) == ERROR_SUCCESS)
        m_log.Write(ValueDeletedEvent { .key = m_change->key,
                        .name = m_change->name,
                        .old = m_change->newData,
                        .result = ERROR_SUCCESS },
            "deleted " + What());
    return result;
}

RegistryChange UndoneChanges::DeleteKey(HKEY root, const std::string& keyPath)
{
    if (!m_log.Recordable())
        return RegistryChange { kNotRecorded, kNotRecorded };
    const RegistryChange result = Machine().DeleteKey(root, keyPath);
    if (StatusOf(result) == ERROR_SUCCESS)
        m_log.Write(KeyDeletedEvent { .key = m_change->key, .result = ERROR_SUCCESS },
            "deleted " + m_change->key);
    return result;
}

BOOL UndoneChanges::RemoveFile(const std::string& path)
{
    if (!m_log.Recordable() || !Machine().RemoveFile(path))
        return FALSE;
    m_log.Write(FileDeletedEvent { .path = m_change->path, .bytes = m_change->bytes, .sha256 = m_change->sha256 },
        "deleted " + path);
    return TRUE;
}

BOOL UndoneChanges::RemoveFolder(const std::string& path)
{
    if (!m_log.Recordable() || !Machine().RemoveFolder(path))
        return FALSE;
    m_log.Write(FolderRemovedEvent { .path = m_change->path }, "removed " + path);
    return TRUE;
}

BOOL UndoneChanges::RestoreFile(const std::string& copy, const std::string& path)
{
    if (!m_log.Recordable() || !Machine().RestoreFile(copy, path))
        return FALSE;
    m_log.Write(FileRestoredEvent { .path = m_change->path, .from = copy }, "restored " + path + " from " + copy);
    return TRUE;
}
