#include "cli/undo/UndoRun.h"

#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/install/InstallRun.h"
#include "cli/log/EventLog.h"
#include "cli/log/JsonLine.h"
#include "cli/TextCase.h"
#include "cli/undo/InstallLog.h"
#include "cli/undo/Undo.h"
#include "cli/undo/UndoneChanges.h"
#include "platform/PlannedMachine.h"
#include "platform/UniqueHandle.h"

#include <string>

int RunUndo(const CommandLine& line)
{
    InstallLog install;
    std::string error;
    if (!ReadInstallLog(*line.log, install, error)) {
        ReportError(error);
        return kExitInvalidCommandLine;
    }
    const std::string here = ComputerName();
    if (!EqualsNoCase(install.computer, here) && !line.force) {
        ReportError(std::string(line.log->c_str()) + " is the log of an install on "
            + install.computer.c_str() + ", and this is " + here.c_str() + "; --force undoes it here");
        return kExitInvalidCommandLine;
    }

    // A plan changes nothing and takes no lock.
    UniqueObject lock;
    if (!line.plan) {
        lock.reset(CreateMutexA(nullptr, FALSE, kInstallMutex));
        if (!lock || GetLastError() == ERROR_ALREADY_EXISTS) {
            ReportError("another tarnwick-cli install or undo is running on this machine");
            return kExitAlreadyRunning;
        }
    }

    EventLog log;
    log.FlushEachLine(!line.plan);
    if (line.plan && line.json)
        (void)log.OpenLog("-", error);
    else if (line.logOut && !log.OpenLog(*line.logOut, error)) {
        ReportError(error);
        return kExitInvalidCommandLine;
    }
    // People read a plan on standard output, an undo's progress on standard error.
    if (line.plan)
        log.SetConsole(line.json ? nullptr : stdout);
    else
        log.SetConsole(line.logOut == std::string("-") ? nullptr : stderr);
    log.Write(JsonLine::Event("start")
                  .Add("program", "tarnwick-cli")
                  .Add("version", TARNWICK_VERSION)
                  .Add("command", "undo")
                  .Add("computer", here)
                  .Add("log", *line.log)
                  .Add("installed", install.started)
                  .Add("installedOn", install.computer),
        (line.plan ? "Plan to undo the install of " : "Undoing the install of ") + install.started + " on "
            + install.computer);

    PlannedMachine planned;
    UndoneChanges changes(log, line.plan ? planned : GetMachineChanges());
    MachineChanges* previous = SetMachineChanges(&changes);
    Undo undo(log, changes);
    for (auto change = install.changes.rbegin(); change != install.changes.rend(); ++change)
        undo.Take(*change);
    (void)SetMachineChanges(previous);

    int code = undo.Kept() == 0 ? kExitSuccess : kExitInstallFailure;
    JsonLine counts;
    counts.Add("undone", undo.Undone()).Add("kept", undo.Kept()).Add("asBefore", undo.AsBefore());
    log.Write(JsonLine::Event("end").Add("exit", code).AddObject("counts", counts),
        std::to_string(undo.Undone()) + " changes undone, " + std::to_string(undo.Kept()) + " kept, "
            + std::to_string(undo.AsBefore()) + " already as before; exit code " + std::to_string(code));
    if (!log.LogIntact()) {
        ReportError("the log could not be written completely");
        code = kExitInstallFailure;
    }
    return code;
}
