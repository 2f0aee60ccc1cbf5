#include "cli/RunFrame.h"

#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "platform/MachineLogKey.h"

namespace {

// One run that changes the machine at a time: a second one would interleave its changes with the
// first's.
constexpr char kInstallMutex[] = "Global\\TarnwickCliInstall";

} // namespace

RunFrame::RunFrame(bool plan)
    : m_plan(plan)
{
    m_log.FlushEachLine(!plan);
}

MachineChanges& RunFrame::Machine()
{
    return m_plan ? m_planned : GetMachineChanges();
}

int RunFrame::Lock(const std::string& busy)
{
    // A plan takes no lock, not even one already there: it only reads, so it has no changes to
    // interleave with another run's, and it shows the machine as any reader finds it. Taking the
    // lock would make its file on the simulated machine, and a plan refused while an install runs
    // would fail for a run it cannot disturb.
    if (m_plan)
        return kExitSuccess;
    m_lock.reset(CreateMutexA(nullptr, FALSE, kInstallMutex));
    const DWORD error = GetLastError();
    if (!m_lock) {
        ReportError("cannot take the lock that keeps runs on this machine apart (error "
            + std::to_string(error) + "): nothing was changed");
        return kExitInstallFailure;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        ReportError(busy);
        return kExitAlreadyRunning;
    }
    return kExitSuccess;
}

bool RunFrame::ReadLogKey()
{
    std::string error;
    if (MachineLogKey(m_key, error))
        return true;
    ReportError(error);
    return false;
}

bool RunFrame::OpenLog(const std::optional<std::string>& path)
{
    std::string error;
    if (path && !m_log.OpenLog(*path, error)) {
        ReportError(error);
        return false;
    }
    if (path && !m_plan && !m_key.empty())
        m_log.SealLines(m_key);
    return true;
}

int RunFrame::LoggedExit(int code)
{
    if (!m_log.LogIntact()) {
        ReportError("the log could not be written completely");
        if (code == kExitSuccess || code == kExitRebootRequired)
            return kExitInstallFailure;
    }
    return code;
}

std::string ComputerName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}
