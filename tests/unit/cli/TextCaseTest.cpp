#include "cli/TextCase.h"

#include "tests/unit/cli/FoldingLocale.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCase, FoldsTheTwentySixLettersAndNothingBesideThem)
{
    EXPECT_EQ("@AZ[`AZ{09_", ToUpperAscii("@AZ[`az{09_"));
    EXPECT_TRUE(EqualsNoCase("AcceptLicense", "ACCEPTLICENSE"));
    EXPECT_FALSE(EqualsNoCase("[", "{"));
    EXPECT_FALSE(EqualsNoCase("Dir1", "Dir10"));
}

// Windows compares names byte by byte outside ASCII, whatever the C locale of this process.
TEST(TextCase, LeavesEveryOtherByteAsItIsUnderAnyLocale)
{
    const FoldingLocale latin1;
    if (!latin1.Active())
        std::cout << "no Latin-1 locale here: checked under the C locale only\n";
    EXPECT_EQ("\xE9\xC9\xFF", ToUpperAscii("\xE9\xC9\xFF")) << latin1.Name();
    EXPECT_FALSE(EqualsNoCase("caf\xE9", "CAF\xC9")) << latin1.Name();
    EXPECT_EQ('\xE9', AsciiUpper('\xE9')) << latin1.Name();
}

} // namespace
