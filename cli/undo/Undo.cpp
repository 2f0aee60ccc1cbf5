#include "cli/undo/Undo.h"

#include "cli/install/ObservedChanges.h"
#include "cli/log/FileDigest.h"
#include "cli/TextCase.h"
#include "cli/undo/PlainPath.h"
#include "engine/InstallSteps.h"
#include "platform/PathNames.h"

#include <cstdint>
#include <vector>

namespace {

const char kNotOurKey[] = "not a key this program writes";
const char kNotOurPath[] = "not a path an install writes";

// The class path's entries, split at ';'.
std::vector<std::string> Entries(const std::string& list)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(';', start);
        entries.push_back(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return entries;
        start = end + 1;
    }
}

// A file as it is now: whether it is there, its size and its digest.
struct FileState {
    bool present = false;
    std::uint64_t bytes = 0;
    std::string sha256;
};

FileState Look(MachineChanges& machine, const std::string& path)
{
    FileState state;
    const PathState found = machine.LookAt(path);
    if (!found.present)
        return state;
    state.present = true;
    if (found.folder) {
        state.sha256 = "(a folder)";
        return state;
    }
    state.bytes = found.bytes;
    state.sha256 = Sha256OfFile(found.contents);
    return state;
}

// Whether path names a file inside folder, as the install names its backups.
bool Inside(const std::string& path, const std::string& folder)
{
    if (folder.empty() || path.size() <= folder.size())
        return false;
    const bool ends = folder.back() == '\\' || folder.back() == '/';
    const std::size_t next = folder.size() - (ends ? 1 : 0);
    return FoldedPath(path.substr(0, next)) == FoldedPath(folder.substr(0, next))
        && (path[next] == '\\' || path[next] == '/');
}

} // namespace

Undo::Undo(EventLog& log, UndoneChanges& changes, std::string backupFolder)
    : m_log(log)
    , m_changes(changes)
    , m_backupFolder(std::move(backupFolder))
{ }

void Undo::Take(const Change& change)
{
    // Files and folders only where an install writes them: a full path from a drive or a share,
    // the backup of a replaced file too.
    if (change.kind == LogKind::FileCopied || change.kind == LogKind::FolderCreated) {
        for (const std::string* path : { &change.path, &change.backup }) {
            if (path->empty() && path == &change.backup)
                continue;
            if (const std::string why = WhyNotPlainPath(*path); !why.empty()) {
                Keep(change, kNotOurPath, *path + ": " + why);
                return;
            }
        }
    }
    if (change.kind == LogKind::ValueWritten)
        Value(change);
    else if (change.kind == LogKind::KeyCreated)
        Key(change);
    else if (change.kind == LogKind::FileCopied)
        File(change);
    else
        Folder(change);
}

void Undo::Keep(
    const Change& change, const std::string& reason, const std::string& text, const Details& details)
{
    ++m_kept;
    m_keptTargets.push_back(change.kind == LogKind::ValueWritten ? change.key + " \"" + change.name + "\""
            : change.kind == LogKind::KeyCreated                 ? change.key
                                                                 : change.path);
    KeptEvent kept = change.Kept();
    // A key of another root is no change of this program's kind.
    if (reason != kNotOurKey)
        kept.change = std::string(KindName(change.kind));
    if (details)
        details(kept);
    kept.reason = reason;
    m_log.Write(kept, "kept: " + text + " (" + reason + ")");
}

void Undo::Value(const Change& change)
{
    const std::string what = change.key + " \"" + change.name + "\"";
    HKEY root = nullptr;
    std::string keyPath;
    if (!SplitKey(change.key, root, keyPath)) {
        Keep(change, kNotOurKey, what);
        return;
    }
    const std::optional<std::string> now = m_changes.StoredText(root, keyPath, change.name);
    if (now == change.oldData) {
        ++m_asBefore; // already as it was before the install
        return;
    }
    if (now && *now == change.newData) {
        Restore(change, root, keyPath, change.oldData, what, {});
        return;
    }
    if (now && TakeOutEntry(change, root, keyPath, *now, what))
        return;
    Keep(change, "changed since the install", what + " is " + (now ? "\"" + *now + "\"" : "absent"),
        [&](KeptEvent& kept) {
            kept.newData = change.newData;
            kept.found = now;
        });
}

// The class path is shared: other packages may have appended since. Only the entry this install
// appended is taken out, when it is still there.
bool Undo::TakeOutEntry(const Change& change, HKEY root, const std::string& keyPath, const std::string& now,
    const std::string& what)
{
    if (!EqualsNoCase(change.key, RootName(HKEY_LOCAL_MACHINE) + "\\" + kJvmKey)
        || !EqualsNoCase(change.name, kJavaClassPathValue) || !change.oldData
        || change.newData.size() <= change.oldData->size()
        || change.newData.compare(0, change.oldData->size(), *change.oldData) != 0)
        return false;
    std::string appended = change.newData.substr(change.oldData->size());
    if (!appended.empty() && appended.front() == ';')
        appended.erase(0, 1);
    std::vector<std::string> entries = Entries(now);
    for (std::size_t i = entries.size(); i-- > 0;) {
        if (entries[i] != appended)
            continue;
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
        std::string rest;
        for (std::size_t k = 0; k < entries.size(); ++k)
            rest += (k ? ";" : "") + entries[k];
        Restore(change, root, keyPath, rest, what, appended);
        return true;
    }
    return false;
}

void Undo::Restore(const Change& change, HKEY root, const std::string& keyPath,
    const std::optional<std::string>& data, const std::string& what, const std::string& entry)
{
    m_changes.Undoing(change, entry);
    const RegistryChange result = data ? m_changes.WriteString(root, keyPath, change.name, *data)
                                       : m_changes.DeleteValue(root, keyPath, change.name);
    const LONG status = result.open != ERROR_SUCCESS ? result.open : result.change;
    if (status != ERROR_SUCCESS) {
        Keep(change, "cannot be written", what + " (error " + std::to_string(status) + ")",
            [&](KeptEvent& kept) { kept.error = status; });
        return;
    }
    ++m_undone;
}

void Undo::Key(const Change& change)
{
    HKEY root = nullptr;
    std::string keyPath;
    if (!SplitKey(change.key, root, keyPath)) {
        Keep(change, kNotOurKey, change.key);
        return;
    }
    KeyNames names;
    if (!m_changes.ListKey(root, keyPath, names)) {
        ++m_asBefore;
        return;
    }
    const std::uint64_t subkeys = names.subkeys.size();
    const std::uint64_t values = names.values.size();
    if (subkeys != 0 || values != 0) {
        Keep(change, "changed since the install",
            change.key + " holds " + std::to_string(values) + " values and " + std::to_string(subkeys)
                + " subkeys",
            [&](KeptEvent& kept) {
                kept.subkeys = subkeys;
                kept.values = values;
            });
        return;
    }
    m_changes.Undoing(change);
    const LONG status = m_changes.DeleteKey(root, keyPath).change;
    if (status != ERROR_SUCCESS) {
        Keep(change, "cannot be deleted", change.key + " (error " + std::to_string(status) + ")",
            [&](KeptEvent& kept) { kept.error = status; });
        return;
    }
    ++m_undone;
}

void Undo::File(const Change& change)
{
    if (change.inFlight) {
        FileInFlight(change);
        return;
    }
    const FileState now = Look(m_changes, change.path);
    const bool asLeft
        = now.present && !change.sha256.empty() && now.bytes == change.bytes && now.sha256 == change.sha256;
    if (!change.replaced && !now.present) {
        ++m_asBefore;
        return;
    }
    if (now.present && !asLeft) {
        if (change.replaced && !change.backupSha256.empty() && now.sha256 == change.backupSha256) {
            ++m_asBefore; // it holds what it held before: an undo stopped just after its restore
            return;
        }
        if (change.sha256.empty())
            Keep(change, "not recorded", change.path + ": the log has no digest to compare with");
        else
            Keep(change, "changed since the install", change.path,
                [&](KeptEvent& kept) {
                    kept.bytes = now.bytes;
                    kept.sha256 = now.sha256;
                });
        return;
    }
    // As the install left it (or, for a file it replaced, gone since).
    if (change.replaced) {
        RestoreReplaced(change);
        return;
    }
    RemoveCopy(change);
}

// Whatever of the copy is there came from the install: the file it replaced, from its backup;
// a file that was not there, deleted, whole or in part.
void Undo::FileInFlight(const Change& change)
{
    const FileState now = Look(m_changes, change.path);
    if (change.replaced) {
        if (now.present && !change.backupSha256.empty() && now.sha256 == change.backupSha256)
            ++m_asBefore; // the copy had not begun
        else
            RestoreReplaced(change);
        return;
    }
    if (!now.present) {
        ++m_asBefore;
        return;
    }
    if (now.sha256 == "(a folder)") {
        Keep(change, "changed since the install", change.path + " is a folder");
        return;
    }
    RemoveCopy(change);
}

void Undo::RemoveCopy(const Change& change)
{
    m_changes.Undoing(change);
    if (!m_changes.RemoveFile(change.path)) {
        const DWORD error = GetLastError();
        Keep(change, "cannot be deleted", change.path + " (error " + std::to_string(error) + ")",
            [&](KeptEvent& kept) { kept.error = error; });
        return;
    }
    ++m_undone;
}

std::string Undo::WhyNotRestore(const Change& change)
{
    if (change.backup.empty())
        return change.path + ": the install replaced it without --backup";
    if (!Inside(change.backup, m_backupFolder))
        return change.backup + " is not in the install's backup folder";
    if (change.backupSha256.empty())
        return change.backup + ": the log has no digest of the backup to compare with";
    const FileState kept = Look(m_changes, change.backup);
    if (!kept.present || kept.sha256 != change.backupSha256)
        return change.backup + (kept.present ? " has changed since the install kept it" : " is gone");
    return {};
}

void Undo::RestoreReplaced(const Change& change)
{
    if (const std::string why = WhyNotRestore(change); !why.empty()) {
        Keep(change, "cannot be restored", why, [&](KeptEvent& kept) {
            if (!change.backup.empty())
                kept.backup = change.backup;
        });
        return;
    }
    m_changes.Undoing(change);
    if (!m_changes.RestoreFile(change.backup, change.path)) {
        const DWORD error = GetLastError();
        Keep(change, "cannot be restored",
            change.path + " from " + change.backup + " (error " + std::to_string(error) + ")",
            [&](KeptEvent& kept) {
                kept.backup = change.backup;
                kept.error = error;
            });
        return;
    }
    ++m_undone;
}

void Undo::Folder(const Change& change)
{
    if (!m_changes.LookAt(change.path).present) {
        ++m_asBefore;
        return;
    }
    m_changes.Undoing(change);
    if (!m_changes.RemoveFolder(change.path)) {
        const DWORD error = GetLastError();
        const bool full = error == ERROR_DIR_NOT_EMPTY;
        Keep(change, full ? "changed since the install" : "cannot be removed",
            change.path + (full ? " is not empty" : " (error " + std::to_string(error) + ")"),
            [&](KeptEvent& kept) { kept.error = error; });
        return;
    }
    ++m_undone;
}
