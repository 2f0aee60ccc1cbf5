#include "cli/WholeFile.h"

#include "RandomBytes.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

// The name the command line would give: the host's own path.
std::string NameOf(const TempFolder& folder, const std::string& relative)
{
    return folder.Host(relative).string();
}

TEST(WholeFile, ReadsAFileOfManyBlocksByteForByte)
{
    const TempFolder folder;
    // Every byte value, CR LF and NUL included, over more than three reads and a part.
    const std::string bytes = RandomBytes(3 * 64 * 1024 + 4321, 7);
    folder.Write("install.jsonl", bytes);
    std::string content = "left over";
    ASSERT_TRUE(ReadWholeFile(NameOf(folder, "install.jsonl"), bytes.size(), content));
    EXPECT_EQ(bytes.size(), content.size());
    EXPECT_TRUE(bytes == content);
}

TEST(WholeFile, ReadsAnEmptyFile)
{
    const TempFolder folder;
    folder.Write("answers.ini", "");
    std::string content = "left over";
    ASSERT_TRUE(ReadWholeFile(NameOf(folder, "answers.ini"), 0, content));
    EXPECT_EQ("", content);
}

TEST(WholeFile, RefusesAFileOneByteOverTheLimit)
{
    const TempFolder folder;
    // At a block boundary, where the last read ends exactly at the limit.
    const std::string bytes = RandomBytes(64 * 1024, 3);
    folder.Write("big.ini", bytes + "x");
    std::string content;
    EXPECT_FALSE(ReadWholeFile(NameOf(folder, "big.ini"), bytes.size(), content));
    EXPECT_EQ("", content);
    ASSERT_TRUE(ReadWholeFile(NameOf(folder, "big.ini"), bytes.size() + 1, content));
    EXPECT_EQ(bytes + "x", content);
    EXPECT_FALSE(ReadWholeFile(NameOf(folder, "big.ini"), 0, content));
}

TEST(WholeFile, FailsForWhatCannotBeRead)
{
    const TempFolder folder;
    folder.Write("folder/inside.txt", "x");
    std::string content = "left over";
    EXPECT_FALSE(ReadWholeFile(NameOf(folder, "missing.ini"), 1 << 20, content));
    EXPECT_EQ("", content);
    content = "left over";
    EXPECT_FALSE(ReadWholeFile(NameOf(folder, "nodir/missing.ini"), 1 << 20, content));
    EXPECT_EQ("", content);
    // POSIX opens a folder and fails its first read; Windows refuses to open it. Neither is an
    // empty file.
    content = "left over";
    EXPECT_FALSE(ReadWholeFile(NameOf(folder, "folder"), 1 << 20, content));
    EXPECT_EQ("", content);
}

} // namespace
