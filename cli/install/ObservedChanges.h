// The command line's view of every change the product makes: each one is passed on to a machine
// (the platform's own in an install, a PlannedMachine in a plan) and logged with what it replaced.
// Both write the same events, so a plan reads as the install's log would.
#pragma once

#include "cli/log/EventLog.h"
#include "cli/install/RunRecord.h"
#include "cli/log/LogEvents.h"
#include "platform/ForwardingChanges.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

class ObservedChanges : public ForwardingChanges {
public:
    using Counts = InstallCounts;

    // machine makes (or plans) each change; log must outlive this.
    ObservedChanges(EventLog& log, MachineChanges& machine);

    BOOL CreateFolder(const std::string& path) override;
    BOOL CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size) override;
    RegistryChange WriteString(
        HKEY root, const std::string& keyPath, const std::string& name, const std::string& data) override;
    RegistryChange CreateSubKey(
        HKEY root, const std::string& parentPath, const std::string& childName) override;
    // The command line waits for each command and logs its exit code.
    BOOL StartCommand(const std::string& commandLine) override;
    // Nothing to wait for: every command has ended before the next starts.
    void Pause(DWORD milliseconds) override;

    const Counts& GetCounts() const { return m_counts; }

    // Every file copy so far: the console shows a count while a large tree is copied.
    void SetProgress(bool show) { m_log.ShowProgress(show); }

    // Each copy's line records its digest, taken as the copy is made (the log must be open): undo
    // compares it, to leave alone a copy that was changed since.
    void SetDigests(bool digests) { m_digests = digests; }

    // An install copies each file it is about to replace into this folder first, and the log
    // names the copy, so that undo can bring it back.
    void SetBackupFolder(const std::string& folder) { m_backupFolder = folder; }

    // Each change is also entered in record (which must outlive this), for the run to take back
    // itself; a copy's digest is then taken from the file it made.
    void SetRecord(RunRecord* record) { m_record = record; }

private:
    // Copies path into the backup folder under a name of its own; false with the last error set.
    // sha256: the copy's digest.
    bool BackUp(const std::string& path, std::string& backup, std::string& sha256);
    // Makes the copy, its intent written first when the log writes intents.
    bool Copy(const std::string& from, const std::string& to, ULONGLONG size, bool replaced,
        const std::string& backup, const std::string& backupSha256);
    BOOL CopyFailed(const std::string& from, const std::string& to, bool backup);
    void WriteCopied(const std::string& from, const std::string& to, std::uint64_t bytes, bool replaced,
        std::string backup, std::string backupSha256);
    // Whether this run created the folder path is in.
    bool MadeParentOf(const std::string& path);

    EventLog& m_log;
    RunRecord* m_record = nullptr;
    bool m_digests = false;
    std::string m_backupFolder;
    unsigned m_backups = 0;
    Counts m_counts;
    // What this run has made, names folded to upper case as Windows compares them: the folders it
    // created and the files it copied. A shortcut: a file in a folder the run created (an entry
    // that holds another can only be such a folder) exists only when the run copied it there.
    // Kept only when the machine keeps no such record of its own.
    bool m_ownRecord;
    std::unordered_set<std::string> m_entries; // folders and files
    // The parent folder last asked about, as written, and whether this run made it.
    std::string m_lastParent;
    bool m_lastParentMade = false;
    FileCopiedEvent m_copy; // the last copy's event, its room used again
    IntentEvent m_intent; // the last copy's intent, the same
};

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER", the roots the product writes.
std::string RootName(HKEY root);
