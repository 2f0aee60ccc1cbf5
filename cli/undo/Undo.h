// Takes back one change an install log records, only where the machine still holds what that
// install left; whatever was changed since is kept and listed. Every change and every read goes
// through the changes given, so a plan of an undo is this same code over a PlannedMachine.
#pragma once

#include "cli/log/EventLog.h"
#include "cli/undo/InstallLog.h"
#include "cli/undo/UndoneChanges.h"

#include <functional>
#include <string>
#include <vector>

class Undo {
public:
    // Both must outlive this. backupFolder: the install's --backup, the one folder a replaced file
    // is restored from (empty: none).
    Undo(EventLog& log, UndoneChanges& changes, std::string backupFolder);

    void Take(const Change& change);

    unsigned Undone() const { return m_undone; }
    unsigned Kept() const { return m_kept; }
    unsigned AsBefore() const { return m_asBefore; }
    // What each change kept names: its path, its key, or its key and value name.
    const std::vector<std::string>& KeptTargets() const { return m_keptTargets; }

private:
    // What a "kept" event tells beyond the change itself, after its kind.
    using Details = std::function<void(KeptEvent&)>;
    // Leaves the change as it is: a "kept" event with the reason and, for people, text.
    void Keep(const Change& change, const std::string& reason, const std::string& text,
        const Details& details = {});
    void Value(const Change& change);
    // For the class path, changed since the install: takes out just the entry this install
    // appended. false when the value is not the class path or no longer holds that entry.
    bool TakeOutEntry(const Change& change, HKEY root, const std::string& keyPath, const std::string& now,
        const std::string& what);
    // Sets the value to data, or deletes it when data is empty; entry: the one class path entry
    // taken out, when only that.
    void Restore(const Change& change, HKEY root, const std::string& keyPath,
        const std::optional<std::string>& data, const std::string& what, const std::string& entry);
    void Key(const Change& change);
    void File(const Change& change);
    // A copy the install began and did not record as made.
    void FileInFlight(const Change& change);
    // Deletes a file the install made.
    void RemoveCopy(const Change& change);
    void RestoreReplaced(const Change& change);
    // Why the backup of a replaced file is not to be restored; empty when it is.
    std::string WhyNotRestore(const Change& change);
    void Folder(const Change& change);

    EventLog& m_log;
    UndoneChanges& m_changes;
    std::string m_backupFolder;
    unsigned m_undone = 0;
    unsigned m_kept = 0;
    unsigned m_asBefore = 0;
    std::vector<std::string> m_keptTargets;
};
