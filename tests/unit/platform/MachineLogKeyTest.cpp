// The machine's log key as both platforms promise it: made once, then always the same, and the
// same for first runs that race to make it.
#include "LogKeyHelpers.h"

#include "platform/MachineLogKey.h"

#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(MachineLogKey, MadeOnFirstUseAndTheSameEverAfter)
{
    const FreshLogKeyScope fresh;
    std::string first;
    std::string error;
    ASSERT_TRUE(MachineLogKey(first, error)) << error;
    EXPECT_EQ(kMachineLogKeySize, first.size());
    EXPECT_NE(std::string(kMachineLogKeySize, '\0'), first);
    std::string again = "untouched";
    ASSERT_TRUE(MachineLogKey(again, error)) << error;
    EXPECT_EQ(first, again);
}

TEST(MachineLogKey, AnotherMachineHasAnotherKey)
{
    std::string one;
    std::string other;
    std::string error;
    {
        const FreshLogKeyScope fresh;
        ASSERT_TRUE(MachineLogKey(one, error)) << error;
    }
    const FreshLogKeyScope fresh;
    ASSERT_TRUE(MachineLogKey(other, error)) << error;
    EXPECT_NE(one, other);
}

TEST(MachineLogKey, FirstRunsAtOnceAgreeOnOneKey)
{
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        const FreshLogKeyScope fresh;
        constexpr int kRuns = 8;
        std::vector<std::string> keys(kRuns);
        std::vector<std::string> errors(kRuns);
        std::vector<char> made(kRuns, 0);
        std::latch start(kRuns);
        std::vector<std::thread> runs;
        for (int i = 0; i < kRuns; ++i)
            runs.emplace_back([&, i] {
                start.arrive_and_wait();
                made[i] = MachineLogKey(keys[i], errors[i]);
            });
        for (std::thread& run : runs)
            run.join();
        for (int i = 0; i < kRuns; ++i) {
            ASSERT_TRUE(made[i]) << errors[i];
            EXPECT_EQ(keys[0], keys[i]) << "run " << i;
        }
    }
}

} // namespace
