// Processes on POSIX: a command line runs through the shell, since it is one text as on Windows.
#include "platform/posix/Handles.h"
#include "platform/posix/windows/DialogHost.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct ProcessObject : posix::KernelObject {
    int pid = 0; // 0: nothing to wait for
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
};

// A thread handle stands beside its process handle and is never waited on here.
struct ThreadObject : posix::KernelObject { };

struct MutexObject : posix::KernelObject {
    int fd = -1;
    ~MutexObject() override
    {
        if (fd >= 0)
            ::close(fd);
    }
};

class SystemProcessService : public posix::ProcessService {
public:
    bool Start(const std::string& commandLine, DWORD creationFlags) override
    {
        int pid = 0;
        return Spawn(commandLine, creationFlags, pid);
    }

    bool Spawn(const std::string& commandLine, DWORD creationFlags, int& spawned) override
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
        spawned = started ? pid : 0;
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
    int pid = 0;
    if (!posix::GetProcessService().Spawn(command, creationFlags, pid)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    static DWORD nextId = 1000;
    auto process = std::make_unique<ProcessObject>();
    process->pid = pid;
    processInformation->hProcess = posix::AddHandle(std::move(process));
    processInformation->hThread = posix::AddHandle(std::make_unique<ThreadObject>());
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
    return posix::RemoveHandleOf<ProcessObject>(handle) || posix::RemoveHandleOf<ThreadObject>(handle)
        || posix::RemoveHandleOf<MutexObject>(handle);
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    ProcessObject* process = posix::HandleAs<ProcessObject>(object);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (process->ended || process->pid == 0) {
        process->ended = true;
        if (process->exitCode == STILL_ACTIVE)
            process->exitCode = 0;
        return WAIT_OBJECT_0;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(process->pid, &status, milliseconds == INFINITE ? 0 : WNOHANG);
        if (done == process->pid) {
            process->ended = true;
            // A command ended by a signal exits with 128 + the signal, as the shell reports it.
            process->exitCode = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status))
                                                  : 128u + static_cast<DWORD>(WTERMSIG(status));
            return WAIT_OBJECT_0;
        }
        if (done < 0 && errno != EINTR) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        if (done == 0) {
            if (std::chrono::steady_clock::now() >= deadline)
                return WAIT_TIMEOUT;
            (void)SleepEx(10, FALSE);
        }
    }
}

BOOL WINAPI GetExitCodeProcess(HANDLE handle, LPDWORD exitCode)
{
    ProcessObject* process = posix::HandleAs<ProcessObject>(handle);
    if (!process || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!process->ended)
        (void)WaitForSingleObject(handle, 0);
    *exitCode = process->exitCode;
    return TRUE;
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name)
{
    auto mutex = std::make_unique<MutexObject>();
    if (name && *name) {
        // The machine's named objects live beside its registry store.
        const char* store = std::getenv("TARNWICK_REGISTRY");
        std::string file = store && *store ? std::string(store) : std::string("/tmp/tarnwick");
        file += ".";
        for (const char* c = name; *c; ++c)
            file += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        file += ".lock";
        mutex->fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (mutex->fd < 0 && errno == EACCES) // a store the user may only read: lock it all the same
            mutex->fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        // A name that cannot be held is no name free to take: a caller that went on without it
        // would run beside one that holds it.
        if (mutex->fd < 0) {
            SetLastError(errno == EACCES || errno == EPERM || errno == EROFS ? ERROR_ACCESS_DENIED
                                                                            : ERROR_PATH_NOT_FOUND);
            return nullptr;
        }
        if (::flock(mutex->fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(mutex->fd);
            mutex->fd = -1;
            HANDLE handle = posix::AddHandle(std::move(mutex));
            SetLastError(ERROR_ALREADY_EXISTS);
            return handle;
        }
    }
    HANDLE handle = posix::AddHandle(std::move(mutex));
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD size)
{
    if (!size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A simulated machine may name itself; otherwise it is the host, in upper case as Windows
    // shows NetBIOS names, cut to their 15 characters.
    const char* own = std::getenv("TARNWICK_COMPUTERNAME");
    char host[256] = {};
    std::string name = own && *own ? own : (::gethostname(host, sizeof host - 1) == 0 ? host : "LOCALHOST");
    name = name.substr(0, name.find('.'));
    if (name.size() > MAX_COMPUTERNAME_LENGTH)
        name.resize(MAX_COMPUTERNAME_LENGTH);
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!buffer || *size <= name.size()) {
        *size = static_cast<DWORD>(name.size() + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return TRUE;
}
