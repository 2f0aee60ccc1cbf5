// The second thread the command line digests copies on, and where the two threads sleep and wake
// each other: on Windows the system's own, on POSIX the standard library's. Run natively and
// under Wine.
#include "platform/WorkerThread.h"
#include "platform/ThreadSignal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Join returns only once the work has: what it wrote is there to be read, without atomics.
TEST(WorkerThreadTest, RunsTheWorkOnAThreadOfItsOwnUntilJoined)
{
    WorkerThread worker;
    EXPECT_FALSE(worker.Started());
    worker.Join(); // nothing started: nothing to wait for

    std::thread::id ranOn;
    int done = 0;
    ASSERT_TRUE(worker.Start([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ranOn = std::this_thread::get_id();
        done = 1;
    }));
    EXPECT_TRUE(worker.Started());
    // A second start while the first runs is refused, and its work never runs.
    EXPECT_FALSE(worker.Start([&] { done = 2; }));
    worker.Join();
    EXPECT_FALSE(worker.Started());
    EXPECT_EQ(1, done);
    EXPECT_NE(std::this_thread::get_id(), ranOn);

    // Once joined, the owner starts a thread again; going away, it waits for that one too.
    {
        WorkerThread again;
        ASSERT_TRUE(again.Start([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            done = 3;
        }));
    }
    EXPECT_EQ(3, done);
    ASSERT_TRUE(worker.Start([&] { done = 4; }));
    worker.Join();
    EXPECT_EQ(4, done);
    EXPECT_GE(WorkerThread::Cores(), 1u);
}

// Two threads that hand a turn back and forth and sleep at once each time: a wake-up lost between
// a sleeper's look and its sleep would leave both asleep, and the test would never end.
TEST(ThreadSignalTest, EveryChangeWakesTheThreadWaitingForIt)
{
    ThreadSignal signal;
    std::atomic<int> turn { 0 };
    signal.SleepUntil([&] { return turn.load() == 0; }); // already true: returns at once

    constexpr int kRounds = 2000;
    WorkerThread other;
    ASSERT_TRUE(other.Start([&] {
        for (int round = 0; round < kRounds; ++round) {
            signal.SleepUntil([&] { return turn.load() == 2 * round + 1; });
            turn.store(2 * round + 2);
            signal.WakeAll();
        }
    }));
    for (int round = 0; round < kRounds; ++round) {
        turn.store(2 * round + 1);
        signal.WakeAll();
        signal.SleepUntil([&] { return turn.load() == 2 * round + 2; });
    }
    other.Join();
    EXPECT_EQ(2 * kRounds, turn.load());
}

// The spin clock goes on with real time and never back: a thread that spins by it sleeps in the
// end.
TEST(ThreadSignalTest, TheSpinClockFollowsRealTime)
{
    const ThreadSignal signal;
    const auto realStart = std::chrono::steady_clock::now();
    const std::uint64_t start = signal.Microseconds();
    std::uint64_t last = start;
    for (int i = 0; i < 1000; ++i) {
        const std::uint64_t now = signal.Microseconds();
        ASSERT_GE(now, last);
        last = now;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const std::uint64_t elapsed = signal.Microseconds() - start;
    const auto realElapsed
        = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - realStart);
    EXPECT_GE(elapsed, 25000u);
    EXPECT_LE(elapsed, static_cast<std::uint64_t>(realElapsed.count()) + 5000u);
}

} // namespace
