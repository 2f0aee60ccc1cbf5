// Where a thread with nothing to do sleeps until another has changed what it waits for. Waking
// costs one atomic read while nobody sleeps, so a thread may signal after every change. On
// Windows it is the system's slim lock and condition variable (Vista and later); on POSIX the
// standard library's.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

class ThreadSignal {
public:
    ThreadSignal();
    ~ThreadSignal();
    ThreadSignal(const ThreadSignal&) = delete;
    ThreadSignal& operator=(const ThreadSignal&) = delete;

    // Sleeps until ready() is true; returns at once when it already is. ready reads what another
    // thread changes before WakeAll, with sequentially consistent atomics: the sleeper is counted
    // before its first look, so either it sees the change or the changer sees the sleeper.
    template<class Ready> void SleepUntil(Ready ready)
    {
        Hold();
        m_sleepers.fetch_add(1);
        while (!ready())
            Sleep();
        m_sleepers.fetch_sub(1);
        Release();
    }
    // Wakes every sleeper, after a change that their ready reads.
    void WakeAll()
    {
        if (m_sleepers.load() != 0)
            WakeSleepers();
    }

    // A steady clock in microseconds, for how long a thread spins before it sleeps.
    std::uint64_t Microseconds() const;

private:
    void Hold();
    void Release();
    // Releases the lock while asleep, holds it again on waking (which may be spurious).
    void Sleep();
    // A sleeper holds the lock from its count until it sleeps: once the lock is free, it sleeps.
    void WakeSleepers();

    std::atomic<unsigned> m_sleepers { 0 };
    struct Parts; // the platform's lock and condition
    std::unique_ptr<Parts> m_parts;
};
