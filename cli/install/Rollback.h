// A failed install taking back what it changed, newest first, by undo's own rules and code, from
// the record it kept as it went; and the folder of its own where it keeps the files it replaces
// when it was given no --backup.
#pragma once

#include "cli/install/RunRecord.h"
#include "cli/log/EventLog.h"
#include "platform/MachineChanges.h"

#include <string>
#include <vector>

// Its events follow in the log, after a "rollback" line. Returns what it could not take back (each
// change's path, key, or key and value name), empty when the machine is as before the install.
// backupFolder: where the files the run replaced were kept.
std::vector<std::string> RollBack(
    EventLog& log, MachineChanges& machine, const RunRecord& record, const std::string& backupFolder);

// A new folder under the system's folder for temporary files; false with the last error set.
bool MakeOwnBackupFolder(MachineChanges& machine, std::string& folder);

// Deletes the backups the run made in its own folder, then the folder; false when something is
// left of it.
bool RemoveOwnBackupFolder(MachineChanges& machine, const RunRecord& record, const std::string& folder);
