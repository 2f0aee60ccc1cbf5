// Processes on POSIX: a command line runs through the shell, since it is one text as on Windows.
#include "platform/posix/Handles.h"
#include "platform/posix/windows/DialogHost.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct ProcessObject : posix::KernelObject { };

class SystemProcessService : public posix::ProcessService {
public:
    bool Start(const std::string& commandLine, DWORD creationFlags) override
    {
        // A console program started without a window has nowhere to read or write: its output
        // must not land on the terminal the wizard is drawn on.
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        if (creationFlags & CREATE_NO_WINDOW) {
            ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
            ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        }
        pid_t pid = 0;
        const char* argv[] = { "/bin/sh", "-c", commandLine.c_str(), nullptr };
        const bool started
            = ::posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char* const*>(argv), environ) == 0;
        ::posix_spawn_file_actions_destroy(&actions);
        return started;
    }

    void Sleep(DWORD milliseconds) override
    {
        timespec left { static_cast<time_t>(milliseconds / 1000),
            static_cast<long>(milliseconds % 1000) * 1000000L };
        while (::nanosleep(&left, &left) != 0 && errno == EINTR) { }
    }
};

posix::ProcessService* g_service = nullptr;

} // namespace

namespace posix {

ProcessService& GetProcessService()
{
    static SystemProcessService system;
    return g_service ? *g_service : system;
}

ProcessService* SetProcessService(ProcessService* service)
{
    ProcessService* previous = g_service;
    g_service = service;
    return previous;
}

} // namespace posix

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
    LPSECURITY_ATTRIBUTES, BOOL, DWORD creationFlags, LPVOID, LPCSTR, STARTUPINFOA* startupInfo,
    PROCESS_INFORMATION* processInformation)
{
    const char* command = commandLine ? commandLine : applicationName;
    if (!command || !startupInfo || !processInformation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!posix::GetProcessService().Start(command, creationFlags)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    static DWORD nextId = 1000;
    processInformation->hProcess = posix::AddHandle(std::make_unique<ProcessObject>());
    processInformation->hThread = posix::AddHandle(std::make_unique<ProcessObject>());
    processInformation->dwProcessId = nextId++;
    processInformation->dwThreadId = nextId++;
    return TRUE;
}

DWORD WINAPI SleepEx(DWORD milliseconds, BOOL)
{
    posix::GetProcessService().Sleep(milliseconds);
    return 0;
}

bool CloseProcessHandle(HANDLE handle)
{
    return posix::RemoveHandleOf<ProcessObject>(handle);
}
