// A second thread of the program, with one owner that starts it and waits for its end. On Windows
// it is the system's own thread, so that the shipped programs carry no threads library of the C++
// runtime's; on POSIX it is the standard library's.
#pragma once

#include <functional>
#include <memory>

class WorkerThread {
public:
    WorkerThread();
    ~WorkerThread(); // waits for a thread still running
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs work on a thread of its own. false when no thread can be had (a process at its limit):
    // then work is not run, and Started stays false. Once started, a thread is not started again
    // until it has been joined. An exception that leaves work ends the program, as from std::thread.
    [[nodiscard]] bool Start(std::function<void()> work);
    // true from a successful Start until Join.
    bool Started() const { return m_running != nullptr; }
    // Returns once work has returned; nothing when no thread was started.
    void Join();

    // How many cores this process may run on (at least 1).
    static unsigned Cores();

private:
    struct Running; // the platform's thread, and what it runs
    std::unique_ptr<Running> m_running;
};
