#include "platform/WorkerThread.h"

#include "platform/UniqueHandle.h"

#include <bit>
#include <cstdint>

struct WorkerThread::Running {
    std::function<void()> work;
    UniqueObject thread;
};

namespace {

// noexcept: an exception that leaves work ends the program here, never unwinds into the system.
DWORD WINAPI RunWork(LPVOID running) noexcept
{
    (*static_cast<std::function<void()>*>(running))();
    return 0;
}

} // namespace

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread()
{
    Join();
}

bool WorkerThread::Start(std::function<void()> work)
{
    if (m_running)
        return false;
    try {
        auto running = std::make_unique<Running>();
        running->work = std::move(work);
        running->thread.reset(CreateThread(nullptr, 0, RunWork, &running->work, 0, nullptr));
        if (!running->thread)
            return false;
        m_running = std::move(running);
        return true;
    } catch (...) {
        // No memory for the work: no thread either.
        return false;
    }
}

void WorkerThread::Join()
{
    if (!m_running)
        return;
    (void)WaitForSingleObject(m_running->thread.get(), INFINITE);
    m_running.reset();
}

unsigned WorkerThread::Cores()
{
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0)
        return 1;
    return static_cast<unsigned>(std::popcount(static_cast<std::uintptr_t>(process)));
}
