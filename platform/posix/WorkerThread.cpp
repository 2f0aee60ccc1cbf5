#include "platform/WorkerThread.h"

#include <thread>

struct WorkerThread::Running {
    std::thread thread;
};

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
        running->thread = std::thread(std::move(work));
        m_running = std::move(running);
        return true;
    } catch (...) {
        // No thread to be had (std::system_error), or no memory for it.
        return false;
    }
}

void WorkerThread::Join()
{
    if (!m_running)
        return;
    m_running->thread.join();
    m_running.reset();
}

unsigned WorkerThread::Cores()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}
