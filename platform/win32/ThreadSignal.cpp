#include "platform/ThreadSignal.h"

#include "platform/win32.h"

// Neither needs closing: a slim lock and a condition variable own no system object.
struct ThreadSignal::Parts {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
    std::uint64_t frequency = 1; // of the performance counter, per second
};

ThreadSignal::ThreadSignal()
    : m_parts(std::make_unique<Parts>())
{
    // The counter exists on every Windows since XP and never fails there.
    LARGE_INTEGER frequency {};
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        m_parts->frequency = static_cast<std::uint64_t>(frequency.QuadPart);
}

ThreadSignal::~ThreadSignal() = default;

void ThreadSignal::Hold()
{
    AcquireSRWLockExclusive(&m_parts->lock);
}

void ThreadSignal::Release()
{
    ReleaseSRWLockExclusive(&m_parts->lock);
}

void ThreadSignal::Sleep()
{
    // Fails only on a timeout, and there is none.
    (void)SleepConditionVariableSRW(&m_parts->condition, &m_parts->lock, INFINITE, 0);
}

void ThreadSignal::WakeSleepers()
{
    Hold();
    Release();
    WakeAllConditionVariable(&m_parts->condition);
}

std::uint64_t ThreadSignal::Microseconds() const
{
    LARGE_INTEGER now {};
    (void)QueryPerformanceCounter(&now);
    const auto ticks = static_cast<std::uint64_t>(now.QuadPart);
    const std::uint64_t frequency = m_parts->frequency;
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}
