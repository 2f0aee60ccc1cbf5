// Linked into the shipped Windows programs in place of the threads library (winpthread) that the
// C++ runtime is built over. The product starts its threads and sleeps through the system itself
// (WorkerThread, ThreadSignal); what still asks for the library is the runtime's own: the
// unwinder's and the exception pool's locks, the runtime's per-thread data, its run-once
// initialisers and the clocks of <chrono>. These nine functions are all of it, over the system's
// slim locks and thread-local slots (Vista and later); the whole library is some 35 KB of
// tarnwick-cli.exe.
// It must be an object of the program, not of a library: the runtime's archives are searched after
// ours, so only a symbol already defined keeps theirs out.
#include "platform/win32.h"

#include <pthread.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace {

static_assert(sizeof(pthread_mutex_t) == sizeof(SRWLOCK) && alignof(pthread_mutex_t) >= alignof(SRWLOCK));

// A mutex is a slim lock in the mutex's own word. A statically initialised one holds
// PTHREAD_MUTEX_INITIALIZER (-1), which no slim lock ever holds: it becomes an unlocked one (0)
// on first use. The runtime asks for no other kind (recursive, error-checking).
SRWLOCK* SlimLock(pthread_mutex_t* mutex)
{
    std::atomic_ref<pthread_mutex_t> word(*mutex);
    pthread_mutex_t unused = PTHREAD_MUTEX_INITIALIZER;
    (void)word.compare_exchange_strong(unused, 0);
    return reinterpret_cast<SRWLOCK*>(mutex);
}

enum Once : pthread_once_t { NotRun = PTHREAD_ONCE_INIT, Running, Done };

// The wall clock to the 100 ns where the system has it (Windows 8 and later), as the library gave
// it: the log's times are to the millisecond, and the older clock moves in steps of up to 16 ms.
using WallClock = void(WINAPI*)(LPFILETIME);
std::atomic<WallClock> wallClock { nullptr }; // two threads that look it up at once find the same

WallClock FindWallClock()
{
    WallClock clock = wallClock.load(std::memory_order_relaxed);
    if (clock)
        return clock;
    clock = GetSystemTimeAsFileTime;
    if (const HMODULE kernel = GetModuleHandleA("kernel32.dll")) {
        if (const FARPROC precise = GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime"))
            clock = reinterpret_cast<WallClock>(reinterpret_cast<void*>(precise));
    }
    wallClock.store(clock, std::memory_order_relaxed);
    return clock;
}

constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000; // 1970 in FILETIME's count

} // namespace

extern "C" {

int pthread_mutex_init(pthread_mutex_t* mutex, const pthread_mutexattr_t*)
{
    *mutex = 0; // SRWLOCK_INIT
    return 0;
}

int pthread_mutex_destroy(pthread_mutex_t*)
{
    return 0; // a slim lock owns nothing
}

int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    AcquireSRWLockExclusive(SlimLock(mutex));
    return 0;
}

int pthread_mutex_unlock(pthread_mutex_t* mutex)
{
    ReleaseSRWLockExclusive(SlimLock(mutex));
    return 0;
}

int pthread_once(pthread_once_t* once, void (*init)(void))
{
    std::atomic_ref<pthread_once_t> state(*once);
    pthread_once_t expected = NotRun;
    if (state.load(std::memory_order_acquire) != Done && state.compare_exchange_strong(expected, Running)) {
        init();
        state.store(Done, std::memory_order_release);
        return 0;
    }
    // Another thread runs it: rare, and short (the runtime's initialisers only set up a lock).
    while (state.load(std::memory_order_acquire) != Done)
        (void)SwitchToThread();
    return 0;
}

// The destructor is not called when a thread ends: the runtime's only key holds a thread's
// exception data, a few bytes that the process gives back when it ends.
int pthread_key_create(pthread_key_t* key, void (*)(void*))
{
    const DWORD slot = TlsAlloc();
    if (slot == TLS_OUT_OF_INDEXES)
        return EAGAIN;
    *key = slot;
    return 0;
}

void* pthread_getspecific(pthread_key_t key)
{
    // TlsGetValue clears the last error on success; the runtime reads its data between a failed
    // call and the caller's look at the error (an exception thrown in between), so it is kept.
    const DWORD error = GetLastError();
    void* value = TlsGetValue(key);
    SetLastError(error);
    return value;
}

int pthread_setspecific(pthread_key_t key, const void* value)
{
    return TlsSetValue(key, const_cast<void*>(value)) ? 0 : ENOMEM;
}

int clock_gettime(clockid_t clock, struct timespec* time)
{
    std::int64_t count = 0; // in units of 100 ns
    if (clock == CLOCK_REALTIME) {
        FILETIME now {};
        FindWallClock()(&now);
        count = static_cast<std::int64_t>(
                    (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime)
            - kUnixEpochIn100ns;
    } else if (clock == CLOCK_MONOTONIC) {
        LARGE_INTEGER ticks {};
        LARGE_INTEGER frequency {};
        if (!QueryPerformanceCounter(&ticks) || !QueryPerformanceFrequency(&frequency)
            || frequency.QuadPart <= 0) {
            errno = EINVAL;
            return -1;
        }
        count = ticks.QuadPart / frequency.QuadPart * 10000000
            + ticks.QuadPart % frequency.QuadPart * 10000000 / frequency.QuadPart;
    } else {
        errno = EINVAL;
        return -1;
    }
    time->tv_sec = static_cast<time_t>(count / 10000000);
    time->tv_nsec = static_cast<long>(count % 10000000 * 100);
    return 0;
}

} // extern "C"
