#include "cli/install/ObservedChanges.h"

#include "cli/ConsoleText.h"
#include "cli/log/FileDigest.h"
#include "platform/PathNames.h"

#include <chrono>
#include <cstdio>

namespace {

std::string KeyName(HKEY root, const std::string& keyPath)
{
    return keyPath.empty() ? RootName(root) : RootName(root) + "\\" + keyPath;
}

std::string JoinKey(const std::string& parent, const std::string& child)
{
    return parent.empty() ? child : parent + "\\" + child;
}

} // namespace

std::string RootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

ObservedChanges::ObservedChanges(EventLog& log, MachineChanges& machine)
    : ForwardingChanges(machine)
    , m_log(log)
    , m_ownRecord(!machine.RecordsWhatItMade())
{ }

BOOL ObservedChanges::CreateFolder(const std::string& path)
{
    // A folder there already is not created: it needs no intent, and undo must not take it.
    const bool absent = (m_log.WritesIntents() || m_record) && !Machine().Exists(path);
    const bool intend = m_log.WritesIntents() && absent;
    if (!(intend ? m_log.Intend(IntentEvent { .change = LogKind::FolderCreated, .path = path })
                 : m_log.Recordable()))
        return FALSE;
    if (m_record && absent)
        m_record->Begin(Change { .kind = LogKind::FolderCreated, .path = path });
    if (!Machine().CreateFolder(path))
        return FALSE; // the last error stays the creation's
    if (m_record && absent)
        m_record->Made();
    if (m_ownRecord) {
        m_entries.insert(FoldedPath(path));
        m_lastParent.clear();
    }
    ++m_counts.folders;
    m_log.WriteChange(FolderCreatedEvent { .path = path }, "create folder " + path);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL ObservedChanges::CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size)
{
    // The file is entered at once, and taken out again should it not be copied. A machine that
    // records what the run made answers at once itself.
    const auto [entry, first]
        = m_ownRecord ? m_entries.insert(FoldedPath(to)) : std::pair { m_entries.end(), false };
    const bool replaced
        = m_ownRecord ? !first || (!MadeParentOf(to) && Machine().Exists(to)) : Machine().Exists(to);
    // The file about to be replaced is kept first; one that cannot be kept is not replaced. The
    // copy itself waits for the line before in BeforeCopy, and is not made when it failed; here
    // is known what the lines before that one came to.
    if (!m_log.Intact()) {
        if (first)
            m_entries.erase(entry);
        SetLastError(kNotRecorded);
        return CopyFailed(from, to, false);
    }
    std::string backup;
    std::string backupSha256;
    if (replaced && !m_backupFolder.empty() && !BackUp(to, backup, backupSha256)) {
        if (first)
            m_entries.erase(entry);
        return CopyFailed(from, to, true);
    }
    if (m_record)
        m_record->Begin(Change { .kind = LogKind::FileCopied,
            .path = to,
            .replaced = replaced,
            .backup = backup,
            .backupSha256 = backupSha256 });
    if (!Copy(from, to, size, replaced, backup, backupSha256)) {
        if (m_digests)
            m_log.DropCopy();
        if (first)
            m_entries.erase(entry);
        return CopyFailed(from, to, false);
    }
    // The copy is read again for its digest: the log's own is taken on another thread.
    if (m_record)
        m_record->Made(size, Sha256OfFile(Machine().LookAt(to).contents));
    WriteCopied(from, to, size, replaced, std::move(backup), std::move(backupSha256));
    m_log.Progress().Copied(m_counts.files);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

// backup: it was the backup of the file about to be replaced that failed.
BOOL ObservedChanges::CopyFailed(const std::string& from, const std::string& to, bool backup)
{
    const DWORD error = GetLastError();
    ++m_counts.failedCopies;
    const CopyFailedEvent failed { .from = from, .to = to, .error = error, .backupFailed = backup };
    if (backup)
        m_log.Write(failed,
            "cannot back up " + to + " into " + m_backupFolder + " (error " + std::to_string(error) + ")");
    else
        m_log.Write(failed, "cannot copy " + from + " to " + to + " (error " + std::to_string(error) + ")");
    SetLastError(error);
    return FALSE;
}

// The copy waits for the line of the change before, and writes its intent, once its source is
// open (BeforeCopy).
bool ObservedChanges::Copy(const std::string& from, const std::string& to, ULONGLONG size, bool replaced,
    const std::string& backup, const std::string& backupSha256)
{
    if (m_log.WritesIntents()) {
        m_intent.time = std::chrono::system_clock::now();
        m_intent.path.assign(to);
        m_intent.replaced = replaced;
        m_intent.backup.assign(backup);
        m_intent.backupSha256.assign(backupSha256);
    }
    if (m_digests) {
        m_log.IntendCopy(m_intent);
        return Machine().CopyFileSeeing(from, to, m_log.CopyBytes()) != FALSE;
    }
    return (!m_log.WritesIntents() || m_log.Intend(m_intent)) && Machine().CopyFileTo(from, to, size);
}

void ObservedChanges::WriteCopied(const std::string& from, const std::string& to, std::uint64_t bytes,
    bool replaced, std::string backup, std::string backupSha256)
{
    ++m_counts.files;
    m_counts.bytes += bytes;
    // The texts go into room an earlier copy left, and on to the line's writer without a copy.
    m_copy.time = std::chrono::system_clock::now();
    m_copy.from.assign(from);
    m_copy.to.assign(to);
    m_copy.bytes = bytes;
    m_copy.replaced = replaced;
    m_copy.backup = std::move(backup);
    m_copy.backupSha256 = std::move(backupSha256);
    if (m_digests) {
        m_log.WriteCopy(m_copy);
        return;
    }
    // A copy has no problem to tell: its text is made only for a plan that describes each change.
    if (!m_log.DescribesChanges()) {
        m_log.Write(m_copy);
        return;
    }
    m_log.WriteChange(m_copy,
        "copy " + from + " to " + to + " (" + std::to_string(bytes) + " bytes, "
            + (replaced ? "replaces" : "new") + ")");
}

RegistryChange ObservedChanges::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    const std::optional<std::string> old = Machine().StoredText(root, keyPath, name);
    const bool recorded = m_log.Intend(IntentEvent { .change = LogKind::ValueWritten,
        .key = KeyName(root, keyPath),
        .name = name,
        .old = old,
        .newData = data });
    if (m_record && recorded)
        m_record->Begin(Change { .kind = LogKind::ValueWritten,
            .key = KeyName(root, keyPath),
            .name = name,
            .oldData = old,
            .newData = data });
    const RegistryChange result
        = recorded ? Machine().WriteString(root, keyPath, name, data) : RegistryChange { kNotRecorded };
    const LONG status = result.open != ERROR_SUCCESS ? result.open : result.change;
    if (status == ERROR_SUCCESS)
        ++m_counts.values;
    else
        ++m_counts.failedWrites;
    if (m_record)
        status == ERROR_SUCCESS ? m_record->Made() : m_record->Refused();
    m_log.WriteChange(ValueWrittenEvent { .key = KeyName(root, keyPath), .name = name, .old = old,
                          .newData = data, .result = status },
        "set " + KeyName(root, keyPath) + " \"" + name + "\": " + (old ? "\"" + *old + "\"" : "(absent)")
            + " -> \"" + data + "\"",
        status == ERROR_SUCCESS ? std::string()
                                : "cannot write " + KeyName(root, keyPath) + " \"" + name + "\" (error "
                + std::to_string(status) + ")");
    return result;
}

RegistryChange ObservedChanges::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName)
{
    const std::string keyPath = JoinKey(parentPath, childName);
    // A key there already is only opened: it needs no intent, and undo must not take it.
    KeyNames names;
    const bool absent = (m_log.WritesIntents() || m_record) && !Machine().ListKey(root, keyPath, names);
    const bool intend = m_log.WritesIntents() && absent;
    const bool recorded = intend
        ? m_log.Intend(IntentEvent { .change = LogKind::KeyCreated, .key = KeyName(root, keyPath) })
        : m_log.Recordable();
    if (m_record && absent && recorded)
        m_record->Begin(Change { .kind = LogKind::KeyCreated, .key = KeyName(root, keyPath) });
    const RegistryChange result
        = recorded ? Machine().CreateSubKey(root, parentPath, childName) : RegistryChange { kNotRecorded };
    const LONG status = result.open != ERROR_SUCCESS ? result.open : result.change;
    if (m_record && absent)
        status == ERROR_SUCCESS && result.created ? m_record->Made() : m_record->Refused();
    if (status != ERROR_SUCCESS)
        ++m_counts.failedWrites;
    else if (result.created)
        ++m_counts.keys;
    else
        return result; // it was there already: nothing changed
    m_log.WriteChange(KeyCreatedEvent { .key = KeyName(root, keyPath), .result = status },
        "create key " + KeyName(root, keyPath),
        status == ERROR_SUCCESS
            ? std::string()
            : "cannot create " + KeyName(root, keyPath) + " (error " + std::to_string(status) + ")");
    return result;
}

BOOL ObservedChanges::StartCommand(const std::string& commandLine)
{
    ++m_counts.commands;
    // Made here, so that its time is the command's start.
    CommandEvent line { .command = commandLine };
    std::optional<DWORD> exitCode;
    if (!m_log.Recordable() || !Machine().RunCommand(commandLine, exitCode)) {
        const DWORD error = GetLastError();
        ++m_counts.failedCommands;
        line.error = error;
        m_log.Write(line,
            "cannot run " + commandLine + " (error " + std::to_string(error) + ")");
        SetLastError(error);
        return FALSE;
    }
    if (!exitCode) {
        m_log.WriteChange(line, "run " + commandLine); // planned, not run
        return TRUE;
    }
    if (*exitCode != 0)
        ++m_counts.failedCommands;
    line.exit = *exitCode;
    m_log.WriteChange(line, "run " + commandLine,
        *exitCode != 0 ? commandLine + " ended with exit code " + std::to_string(*exitCode) : "");
    return TRUE;
}

void ObservedChanges::Pause(DWORD)
{ }

bool ObservedChanges::MadeParentOf(const std::string& path)
{
    const std::size_t end = ParentEnd(path);
    if (end == std::string::npos)
        return false;
    // A tree's files come folder by folder: the answer for the last folder usually holds.
    if (m_lastParent.size() != end || path.compare(0, end, m_lastParent) != 0) {
        m_lastParent.assign(path, 0, end);
        m_lastParentMade = m_entries.count(FoldedPath(m_lastParent)) != 0;
    }
    return m_lastParentMade;
}

bool ObservedChanges::BackUp(const std::string& path, std::string& backup, std::string& sha256)
{
    if (!m_log.Recordable()) // a change like any other
        return false;
    const std::size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // Numbered, so that files of the same name from different folders, or from an earlier install
    // into the same backup folder, never overwrite each other.
    for (int attempts = 0; attempts < 100000; ++attempts) {
        std::string number = std::to_string(++m_backups);
        if (number.size() < 5)
            number.insert(0, 5 - number.size(), '0');
        std::string candidate = m_backupFolder;
        if (candidate.back() != '\\' && candidate.back() != '/')
            candidate += '\\';
        candidate += number + "-" + name;
        if (Machine().KeepCopy(path, candidate)) {
            // Undo restores the copy only while it is still what was kept.
            sha256 = Sha256OfFile(Machine().LookAt(candidate).contents);
            if (sha256.empty()) {
                SetLastError(ERROR_READ_FAULT);
                return false;
            }
            backup = std::move(candidate);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return false;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return false;
}
