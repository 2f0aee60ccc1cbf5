#include "engine/PathText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PlaceholderCase {
    const char* what;
    std::string text;
    DirectoryTexts directories;
    std::string expected;
};

struct CollapseCase {
    const char* what;
    std::string path;
    std::string expected;
};

} // namespace

TEST(EnginePathText, PlaceholdersAreReplacedInOrderWithoutRescanning)
{
    const PlaceholderCase cases[] = {
        { "first directory ending in a backslash", R"(%DIR1%\MyTag)", { R"(C:\Tags\)", "", "" },
            R"(C:\Tags\\MyTag)" },
        { "empty second directory", R"(C:\x\%DIR2%\y)", { "a", "", "c" }, R"(C:\x\\y)" },
        { "one placeholder twice", R"(%DIR1%\a;%DIR1%\b)", { "D", "", "" }, R"(D\a;D\b)" },
        { "all three", R"(%DIR3%|%DIR2%|%DIR1%)", { "1", "2", "3" }, "3|2|1" },
        { "first directory holding the second's placeholder", R"(%DIR1%\x)", { R"(C:\%DIR2%)", "Apps", "" },
            R"(C:\Apps\x)" },
        { "second directory holding the third's placeholder", R"(%DIR2%\x)", { "", R"(%DIR3%\db)", "D:" },
            R"(D:\db\x)" },
        { "third directory holding the first's placeholder", "%DIR3%", { "one", "", "%DIR1%" }, "%DIR1%" },
        { "inserted text that completes a placeholder", "%DIR1%1%", { "%DIR", "", "" }, "%DIR1%" },
        { "a directory holding its own placeholder", "%DIR2%-%DIR2%", { "", "%DIR2%", "" }, "%DIR2%-%DIR2%" },
        { "overlapping occurrences", "%DIR1%DIR1%", { "X", "", "" }, "XDIR1%" },
        { "other case", "%dir1%\\%Dir2%", { "a", "b", "c" }, "%dir1%\\%Dir2%" },
        { "incomplete placeholder", "%DIR1\\%DIR%", { "a", "b", "c" }, "%DIR1\\%DIR%" },
        { "no placeholder", R"(C:\Program Files\x)", { "a", "b", "c" }, R"(C:\Program Files\x)" },
        { "empty text", "", { "a", "b", "c" }, "" },
    };
    for (const PlaceholderCase& c : cases)
        EXPECT_EQ(ReplaceDirectoryPlaceholders(c.text, c.directories), c.expected) << c.what;
}

TEST(EnginePathText, DoubledBackslashesCollapseOnceFromTheLeft)
{
    const CollapseCase cases[] = {
        { "pair left by a substitution", R"(C:\Tags\\MyTag)", R"(C:\Tags\MyTag)" },
        { "three in a row", R"(a\\\b)", R"(a\\b)" },
        { "four in a row", R"(a\\\\b)", R"(a\\b)" },
        { "five in a row", R"(a\\\\\b)", R"(a\\\b)" },
        { "several pairs", R"(C:\\a\\b\\)", R"(C:\a\b\)" },
        { "single backslashes", R"(C:\a\b\)", R"(C:\a\b\)" },
        { "forward slashes", "a//b", "a//b" },
        { "leading single backslash", R"(\a\\b)", R"(\a\b)" },
        { "lone backslash", "\\", "\\" },
        { "empty", "", "" },
        { "network share", R"(\\server\share\x)", R"(\\server\share\x)" },
        { "network share with a pair inside", R"(\\server\\share\x\\y)", R"(\\server\share\x\y)" },
        { "share prefix alone", R"(\\)", R"(\\)" },
    };
    for (const CollapseCase& c : cases)
        EXPECT_EQ(CollapseDoubledBackslashes(c.path), c.expected) << c.what;
}
