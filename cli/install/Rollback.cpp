#include "cli/install/Rollback.h"

#include "cli/undo/Undo.h"
#include "cli/undo/UndoneChanges.h"

#include <chrono>

std::vector<std::string> RollBack(
    EventLog& log, MachineChanges& machine, const RunRecord& record, const std::string& backupFolder)
{
    log.Write(RollbackEvent {}, "taking back what this install changed");
    UndoneChanges changes(log, machine);
    MachineChanges* previous = SetMachineChanges(&changes);
    Undo undo(log, changes, backupFolder);
    const std::vector<Change>& made = record.Changes();
    for (auto change = made.rbegin(); change != made.rend(); ++change)
        undo.Take(*change);
    (void)SetMachineChanges(previous);
    return undo.KeptTargets();
}

bool MakeOwnBackupFolder(MachineChanges& machine, std::string& folder)
{
    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp)
        return false;
    // A name nobody else has: made new, never one that is there already (someone else's, in a
    // folder everyone may write).
    const auto stamp = std::chrono::system_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = std::string(temp) + "tarnwick-rollback-" + std::to_string(stamp) + "-"
            + std::to_string(attempt);
        if (machine.CreateFolder(candidate)) {
            folder = candidate;
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool RemoveOwnBackupFolder(MachineChanges& machine, const RunRecord& record, const std::string& folder)
{
    for (const Change& change : record.Changes())
        if (!change.backup.empty() && machine.LookAt(change.backup).present)
            (void)machine.RemoveFile(change.backup);
    return machine.RemoveFolder(folder) != FALSE;
}
