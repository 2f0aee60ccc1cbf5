#include "cli/check/FindingText.h"

#include <gtest/gtest.h>

namespace {

using check::WithCommas;

// The limits in the messages are built from their names: each group of three digits from the
// right, whatever the limit becomes.
TEST(FindingText, WritesALimitWithCommasBetweenTheThousands)
{
    EXPECT_EQ("12,048", WithCommas(12048));
    EXPECT_EQ("16,000", WithCommas(16000));
    EXPECT_EQ("999", WithCommas(999));
    EXPECT_EQ("1,000", WithCommas(1000));
    EXPECT_EQ("100,000", WithCommas(100000));
    EXPECT_EQ("1,048,576", WithCommas(1048576));
    EXPECT_EQ("0", WithCommas(0));
}

} // namespace
