// A program started without standard handles: what it writes there goes nowhere, and the files it
// opens keep their own contents. Each case runs in a child process, whose handles it may drop.
#include "StandardHandleHelpers.h"
#include "TempFolder.h"

#include "platform/StandardHandles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The child's result: 0 when everything held, otherwise the number of the first check that did
// not. The file is the child's own (on Windows a death test's child runs the test afresh).
int WriteAroundDroppedHandles(bool input, bool output, bool error)
{
    const TempFolder folder;
    DropStandardHandles(input, output, error);
    MissingStandardHandles missing;
    if (!SettleStandardHandles(missing))
        return 1;
    if (missing.input != input || missing.output != output || missing.error != error)
        return 2;
    const std::string path = folder.Host("log.txt").string();
    std::FILE* log = std::fopen(path.c_str(), "wb");
    if (!log)
        return 3;
    const bool logged = std::fputs("log line\n", log) >= 0;
    // Writes to the settled handles succeed, and land nowhere near the file.
    const bool said = std::fputs("summary\n", stdout) >= 0 && std::fflush(stdout) == 0
        && std::fputs("warning\n", stderr) >= 0 && std::fflush(stderr) == 0;
    char byte = 0;
    const bool readNothing = !input || std::fread(&byte, 1, 1, stdin) == 0;
    if (std::fclose(log) != 0 || !logged)
        return 4;
    if (!said)
        return 5;
    if (!readNothing)
        return 6;
    return folder.Read("log.txt") == "log line\n" ? 0 : 7;
}

TEST(StandardHandles, WhatGoesToAMissingHandleStaysOutOfTheFilesOpenedLater)
{
    const struct {
        bool input, output, error;
    } cases[]
        = { { false, true, false }, { false, false, true }, { true, false, false }, { true, true, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            testing::Message() << "input " << c.input << ", output " << c.output << ", error " << c.error);
        EXPECT_EXIT(
            std::exit(WriteAroundDroppedHandles(c.input, c.output, c.error)), testing::ExitedWithCode(0), "");
    }
}

TEST(StandardHandles, HandlesThatAreThereAreLeftAlone)
{
    EXPECT_EXIT(std::exit(WriteAroundDroppedHandles(false, false, false)), testing::ExitedWithCode(0), "");
}

} // namespace
