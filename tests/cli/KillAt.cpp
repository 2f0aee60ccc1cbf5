// Loaded into tarnwick-cli (LD_PRELOAD) to stop it dead at an exact moment: it counts the calls
// that change the disk (folders made and removed, files opened for writing, written, renamed and
// removed) and sends the process SIGKILL instead of making call number TARNWICK_KILL_AT. Without
// it, the count of a whole run goes to the file TARNWICK_KILL_COUNT names. Calls glibc makes
// inside itself (stdio's own writes of the log) are not seen: the log is written through them, so
// every moment between two changes is one of these. Child processes run without it.
// TARNWICK_FAIL_RENAMES=1 makes every rename onto a registry store (".reg") fail (EACCES)
// instead: a store that refuses each write only when it is made, which no plan can foresee.
// TARNWICK_FAIL_WRITES_TO=NAME makes the writes into a file whose path ends with NAME (or with
// NAME and a further extension) fail (ENOSPC) once it is open: a copy that began and met a full
// disk.
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <cstring>
#include <string.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

long g_killAt = -1;
long g_count = 0;
bool g_failRenames = false;
char* g_failWritesTo = nullptr;
int g_failingFd = -1;
char* g_countFile = nullptr;

__attribute__((constructor)) void KillAtStart()
{
    // Only the program itself: a wrapper that starts it (setpriv) or a command it runs (net)
    // keeps the environment and goes its own way.
    if (std::strncmp(program_invocation_short_name, "tarnwick-cli", 12) != 0)
        return;
    const char* at = getenv("TARNWICK_KILL_AT");
    const char* countFile = getenv("TARNWICK_KILL_COUNT");
    if (at)
        g_killAt = atol(at);
    if (countFile)
        g_countFile = strdup(countFile);
    const char* failRenames = getenv("TARNWICK_FAIL_RENAMES");
    g_failRenames = failRenames && *failRenames == '1';
    unsetenv("TARNWICK_FAIL_RENAMES");
    if (const char* name = getenv("TARNWICK_FAIL_WRITES_TO"); name && *name)
        g_failWritesTo = strdup(name);
    unsetenv("TARNWICK_FAIL_WRITES_TO");
    unsetenv("LD_PRELOAD");
    unsetenv("TARNWICK_KILL_AT");
    unsetenv("TARNWICK_KILL_COUNT");
}

__attribute__((destructor)) void KillAtEnd()
{
    if (!g_countFile)
        return;
    FILE* out = fopen(g_countFile, "w");
    if (out) {
        fprintf(out, "%ld\n", g_count);
        fclose(out);
    }
}

void Count()
{
    if (++g_count == g_killAt)
        kill(getpid(), SIGKILL);
}

// The file opened is the one whose writes are to fail.
int Opened(const char* path, int fd)
{
    if (fd >= 0 && g_failWritesTo) {
        const size_t length = strlen(path);
        const size_t suffix = strlen(g_failWritesTo);
        // The name itself, or a copy of it made beside it under a longer name (a restore's).
        const char* found = strstr(path, g_failWritesTo);
        if (found && (found + suffix == path + length || found[suffix] == '.'))
            g_failingFd = fd;
        else if (fd == g_failingFd)
            g_failingFd = -1;
    }
    return fd;
}

bool Failing(int fd)
{
    if (fd < 0 || fd != g_failingFd)
        return false;
    errno = ENOSPC;
    return true;
}

template<class Function> Function* Next(Function*, const char* name)
{
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

} // namespace

#define NEXT(name) Next(&name, #name)

extern "C" {

bool IsStore(const char* path)
{
    const size_t length = strlen(path);
    return length >= 4 && strcmp(path + length - 4, ".reg") == 0;
}

bool Writes(int flags)
{
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

int mkdir(const char* path, mode_t mode)
{
    Count();
    return NEXT(mkdir)(path, mode);
}

int rmdir(const char* path)
{
    Count();
    return NEXT(rmdir)(path);
}

int unlink(const char* path)
{
    Count();
    return NEXT(unlink)(path);
}

int rename(const char* from, const char* to)
{
    Count();
    if (g_failRenames && IsStore(to)) {
        errno = EACCES;
        return -1;
    }
    return NEXT(rename)(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    Count();
    return NEXT(renameat)(fromDir, from, toDir, to);
}

int open(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(args, mode_t) : 0;
    va_end(args);
    if (Writes(flags))
        Count();
    return Opened(path, NEXT(open)(path, flags, mode));
}

int open64(const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(args, mode_t) : 0;
    va_end(args);
    if (Writes(flags))
        Count();
    return Opened(path, NEXT(open64)(path, flags, mode));
}

int openat(int dir, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & O_CREAT) ? va_arg(args, mode_t) : 0;
    va_end(args);
    if (Writes(flags))
        Count();
    return Opened(path, NEXT(openat)(dir, path, flags, mode));
}

ssize_t write(int fd, const void* data, size_t size)
{
    if (fd > 2)
        Count();
    if (Failing(fd))
        return -1;
    return NEXT(write)(fd, data, size);
}

ssize_t copy_file_range(int in, off64_t* inAt, int out, off64_t* outAt, size_t size, unsigned flags)
{
    Count();
    if (Failing(out))
        return -1;
    return NEXT(copy_file_range)(in, inAt, out, outAt, size, flags);
}

ssize_t sendfile(int out, int in, off_t* at, size_t size)
{
    Count();
    if (Failing(out))
        return -1;
    return NEXT(sendfile)(out, in, at, size);
}

} // extern "C"
