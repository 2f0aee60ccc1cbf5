#include "cli/undo/UndoRun.h"

#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/RunFrame.h"
#include "cli/TextCase.h"
#include "cli/undo/InstallLog.h"
#include "cli/undo/Undo.h"
#include "cli/undo/UndoneChanges.h"

#include <string>

namespace {

// The install log, sealed with key and from this computer unless --force; false with the reason
// reported. --force lets a log name another computer, never one whose codes do not verify.
bool ReadUsableLog(const CommandLine& line, std::string_view key, InstallLog& install)
{
    std::string error;
    if (!ReadInstallLog(*line.installLog, key, install, error)) {
        ReportError(error);
        return false;
    }
    const std::string here = ComputerName();
    if (!EqualsNoCase(install.computer, here) && !line.force) {
        ReportError(std::string(line.installLog->c_str()) + " is the log of an install on "
            + install.computer.c_str() + ", and this is " + here.c_str() + "; --force undoes it here");
        return false;
    }
    return true;
}

} // namespace

int RunUndo(const CommandLine& line)
{
    // A plan needs the key too: it shows what the undo would do, and the undo checks first.
    RunFrame frame(line.plan);
    if (!frame.ReadLogKey())
        return kExitInstallFailure;
    InstallLog install;
    if (!ReadUsableLog(line, frame.LogKey(), install))
        return kExitInvalidCommandLine;
    if (const int refused = frame.Lock("another tarnwick-cli install or undo is running on this machine"); refused != kExitSuccess)
        return refused;
    if (!frame.OpenLog(line.plan && line.json ? std::optional<std::string>("-") : line.logOut))
        return kExitInvalidCommandLine;
    EventLog& log = frame.Log();
    // People read a plan on standard output, an undo's progress on standard error.
    if (line.plan)
        log.SetConsole(line.json ? nullptr : stdout);
    else
        log.SetConsole(stderr); // whatever --log-out says
    log.Write(UndoStartEvent { .version = TARNWICK_VERSION,
                  .computer = ComputerName(),
                  .log = *line.installLog,
                  .installed = install.started,
                  .installedOn = install.computer },
        (line.plan ? "Plan to undo the install of " : "Undoing the install of ") + install.started + " on "
            + install.computer);

    UndoneChanges changes(log, frame.Machine());
    MachineChanges* previous = SetMachineChanges(&changes);
    Undo undo(log, changes, install.backupFolder);
    for (auto change = install.changes.rbegin(); change != install.changes.rend(); ++change)
        undo.Take(*change);
    (void)SetMachineChanges(previous);

    const UndoCounts counts { .undone = undo.Undone(), .kept = undo.Kept(), .asBefore = undo.AsBefore() };
    return frame.Finish(UndoEndEvent { .exit = undo.Kept() == 0 ? kExitSuccess : kExitInstallFailure, .counts = counts },
        std::to_string(undo.Undone()) + " changes undone, " + std::to_string(undo.Kept()) + " kept, "
            + std::to_string(undo.AsBefore()) + " already as before");
}
