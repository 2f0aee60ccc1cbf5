// What every command that changes the machine (install and undo, and their plans) does around its
// changes, written once: the machine-wide lock, the machine's key for the log's codes, the log, the
// start and end events, and the exit code, which a log that could not be written completely turns from success into a failure.
#pragma once

#include "cli/log/EventLog.h"
#include "cli/log/LogEvents.h"
#include "platform/MachineChanges.h"
#include "platform/PlannedMachine.h"
#include "platform/UniqueHandle.h"

#include <optional>
#include <string>

class RunFrame {
public:
    // plan: the run changes nothing. It takes no lock, its changes go to a machine that only
    // records them, and its lines are handed to the system in large writes.
    explicit RunFrame(bool plan);

    bool IsPlan() const { return m_plan; }
    // Where the run's changes go: the platform's own machine, or a plan's.
    MachineChanges& Machine();

    // Holds the lock from before the first change to the end of the run (a plan takes none):
    // kExitSuccess. While another run holds it, busy is reported and the exit code is
    // kExitAlreadyRunning; a lock that cannot be made at all is a failure (kExitInstallFailure,
    // with the reason), never a run without it.
    [[nodiscard]] int Lock(const std::string& busy);
    // The machine's key for the codes of the logs, read (made the first time) once for the run;
    // false, with the reason reported, when it can be neither. Before the first change.
    [[nodiscard]] bool ReadLogKey();
    const std::string& LogKey() const { return m_key; }
    // The JSON lines go to path ("-": standard output), or nowhere without one; false, with the
    // reason reported, when the file cannot be created. A run that changes the machine seals its
    // lines with the key read; a plan's lines are no record of changes and are not sealed.
    [[nodiscard]] bool OpenLog(const std::optional<std::string>& path);
    EventLog& Log() { return m_log; }

    // Writes end (an InstallEndEvent or an UndoEndEvent) and, for people, summary and the exit
    // code; returns the exit code, a failure once the log could not be written completely.
    template<class EndEvent>
    int Finish(const EndEvent& end, const std::string& summary)
    {
        m_log.Write(end, summary + "; exit code " + std::to_string(end.exit));
        return LoggedExit(end.exit);
    }

private:
    int LoggedExit(int code);

    bool m_plan;
    std::string m_key;
    UniqueObject m_lock;
    EventLog m_log;
    PlannedMachine m_planned;
};

// The name the log's start event records, to tell the machines of a fleet apart.
std::string ComputerName();
