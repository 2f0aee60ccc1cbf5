// The command line's view of every change the product makes: in an install each change is made
// and then logged with what it replaced; in a plan it is recorded instead of made, over an overlay
// of what the plan has "made" so far, so later steps see the folders and keys that earlier ones
// would create. Both write the same events, so a plan reads as the install's log would.
#pragma once

#include "cli/log/CopyEvent.h"
#include "cli/log/EventLog.h"
#include "platform/MachineChanges.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>

class ObservedChanges : public MachineChanges {
public:
    struct Counts {
        unsigned folders = 0;
        unsigned files = 0;
        std::uint64_t bytes = 0;
        unsigned keys = 0;
        unsigned values = 0;
        unsigned failedCopies = 0;
        unsigned failedWrites = 0; // registry keys and values that could not be written
        unsigned commands = 0;
        unsigned failedCommands = 0; // not started, or ended with an exit code other than 0
    };

    // planning: record instead of change. describe: also tell people each change (a plan's text).
    ObservedChanges(EventLog& log, bool planning, bool describe);

    bool Exists(const std::string& path) override;
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
    void SetProgress(bool show) { m_progress = show; }

    // An install copies each file it is about to replace into this folder first, and the log
    // names the copy, so that undo can bring it back.
    void SetBackupFolder(const std::string& folder) { m_backupFolder = folder; }

private:
    std::optional<std::string> CurrentValue(HKEY root, const std::string& keyPath, const std::string& name);
    bool KeyExists(HKEY root, const std::string& keyPath);
    // Copies path into the backup folder under a name of its own; false with the last error set.
    bool BackUp(const std::string& path, std::string& backup);
    LONG CanWriteKey(HKEY root, const std::string& keyPath);
    // Whether this run created the folder path is in.
    bool MadeParentOf(const std::string& path);

    MachineChanges m_machine; // the platform's own, which makes the changes
    EventLog& m_log;
    bool m_planning;
    bool m_describe;
    bool m_progress = false;
    std::string m_backupFolder;
    unsigned m_backups = 0;
    Counts m_counts;
    // What this run has made, names folded to upper case as Windows compares them: the folders it
    // created and the files it copied. A plan's overlay; an install's shortcut, since a file in a
    // folder the run created (an entry that holds another can only be such a folder) exists only
    // when the run copied it there.
    std::unordered_set<std::string> m_entries; // folders and files
    // The parent folder last asked about, as written, and whether this run made it.
    std::string m_lastParent;
    bool m_lastParentMade = false;
    CopyEvent m_copy; // the last copy's event, its room used again
    std::set<std::string> m_keys;
    std::map<std::string, std::string> m_values; // key path + '\n' + value name
};

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER", the roots the product writes.
std::string RootName(HKEY root);

// A value's data as text, cut at its first zero byte; empty optional when the key or value is
// missing or cannot be read. Unlike the product's registry reads, an absent value is told apart
// from an empty one: the log records which it was.
std::optional<std::string> StoredText(HKEY root, const std::string& keyPath, const std::string& name);
