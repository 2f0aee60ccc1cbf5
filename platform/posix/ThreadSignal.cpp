#include "platform/ThreadSignal.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

struct ThreadSignal::Parts {
    std::mutex lock;
    std::condition_variable condition;
};

ThreadSignal::ThreadSignal()
    : m_parts(std::make_unique<Parts>())
{ }

ThreadSignal::~ThreadSignal() = default;

void ThreadSignal::Hold()
{
    m_parts->lock.lock();
}

void ThreadSignal::Release()
{
    m_parts->lock.unlock();
}

void ThreadSignal::Sleep()
{
    // The lock is held here (Hold): adopted for the wait, and held again when it returns.
    std::unique_lock<std::mutex> held(m_parts->lock, std::adopt_lock);
    m_parts->condition.wait(held);
    held.release();
}

void ThreadSignal::WakeSleepers()
{
    Hold();
    Release();
    m_parts->condition.notify_all();
}

std::uint64_t ThreadSignal::Microseconds() const
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}
