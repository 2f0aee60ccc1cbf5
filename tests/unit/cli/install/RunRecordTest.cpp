#include "cli/install/RunRecord.h"

#include <gtest/gtest.h>

namespace {

Change Copy(const std::string& path)
{
    return Change { .kind = LogKind::FileCopied, .path = path };
}

Change Value(const std::string& name)
{
    return Change { .kind = LogKind::ValueWritten, .key = "HKEY_LOCAL_MACHINE\\S", .name = name };
}

} // namespace

// Settled as undo reads a log: a copy made has its size and digest; a write the registry refused
// changed nothing; a copy or folder that failed after it began stays in flight.
TEST(RunRecord, EachChangeIsSettledAsUndoReadsItsLine)
{
    RunRecord record;
    record.Begin(Copy("C:\\a"));
    record.Made(3, "digest");
    record.Begin(Value("refused"));
    record.Refused();
    record.Begin(Value("written"));
    record.Made();
    record.Begin(Copy("C:\\b")); // failed halfway: never settled
    ASSERT_EQ(record.Changes().size(), 3u);
    EXPECT_EQ(record.Changes()[0].path, "C:\\a");
    EXPECT_FALSE(record.Changes()[0].inFlight);
    EXPECT_EQ(record.Changes()[0].bytes, 3u);
    EXPECT_EQ(record.Changes()[0].sha256, "digest");
    EXPECT_EQ(record.Changes()[1].name, "written");
    EXPECT_FALSE(record.Changes()[1].inFlight);
    EXPECT_TRUE(record.Changes()[2].inFlight);
}
