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
    const RegistryChange result = Machine().WriteString(root, keyPath, name, data);
    if (StatusOf(result) != ERROR_SUCCESS)
        return result;
    JsonLine line = m_change->Event("value-written").Add("old", m_change->newData).Add("new", data);
    if (!m_entryRemoved.empty())
        line.Add("entryRemoved", m_entryRemoved);
    m_log.Write(line.Add("result", static_cast<std::int64_t>(ERROR_SUCCESS)),
        m_entryRemoved.empty()
            ? "restored " + What()
            : "took " + m_entryRemoved + " out of " + What() + ", which has changed since the install");
    return result;
}

RegistryChange UndoneChanges::DeleteValue(HKEY root, const std::string& keyPath, const std::string& name)
{
    const RegistryChange result = Machine().DeleteValue(root, keyPath, name);
    if (StatusOf(result) == ERROR_SUCCESS)
        m_log.Write(m_change->Event("value-deleted")
                        .Add("old", m_change->newData)
                        .Add("result", static_cast<std::int64_t>(ERROR_SUCCESS)),
            "deleted " + What());
    return result;
}

RegistryChange UndoneChanges::DeleteKey(HKEY root, const std::string& keyPath)
{
    const RegistryChange result = Machine().DeleteKey(root, keyPath);
    if (StatusOf(result) == ERROR_SUCCESS)
        m_log.Write(m_change->Event("key-deleted").Add("result", static_cast<std::int64_t>(ERROR_SUCCESS)),
            "deleted " + m_change->key);
    return result;
}

BOOL UndoneChanges::RemoveFile(const std::string& path)
{
    if (!Machine().RemoveFile(path))
        return FALSE;
    m_log.Write(m_change->Event("file-deleted").Add("bytes", m_change->bytes).Add("sha256", m_change->sha256),
        "deleted " + path);
    return TRUE;
}

BOOL UndoneChanges::RemoveFolder(const std::string& path)
{
    if (!Machine().RemoveFolder(path))
        return FALSE;
    m_log.Write(m_change->Event("folder-removed"), "removed " + path);
    return TRUE;
}

BOOL UndoneChanges::RestoreFile(const std::string& copy, const std::string& path)
{
    if (!Machine().RestoreFile(copy, path))
        return FALSE;
    m_log.Write(m_change->Event("file-restored").Add("from", copy), "restored " + path + " from " + copy);
    return TRUE;
}
