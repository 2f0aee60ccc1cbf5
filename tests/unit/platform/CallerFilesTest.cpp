// Files named on the command line: made absolute where the program started, and looked at for
// what they are before they are read or written.
#include "DeviceNames.h"
#include "TempFolder.h"

#include "platform/CallerFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// The name the command line would give: the host's own path.
std::string NameOf(const TempFolder& folder, const std::string& relative)
{
    return folder.Host(relative).string();
}

TEST(CallerFiles, RelativeNamesMeanWhatTheyMeantWhereTheProgramStarted)
{
    const TempFolder folder;
    folder.Write("start/answers.ini", "[Tarnwick]\n");
    fs::create_directory(folder.Host("package"));
    std::string full;
    {
        const CurrentDirectoryScope start(folder.Host("start"));
        full = FullFileName("answers.ini");
        EXPECT_EQ(FullFileName(full), full) << "an absolute name stays as it is";
        EXPECT_EQ("", FullFileName(""));
    }
    const CurrentDirectoryScope package(folder.Host("package"));
    std::FILE* file = OpenRegularFile(full);
    ASSERT_NE(nullptr, file) << full;
    char text[16] = {};
    EXPECT_EQ(11u, std::fread(text, 1, sizeof text, file));
    EXPECT_STREQ("[Tarnwick]\n", text);
    (void)std::fclose(file);
}

TEST(CallerFiles, KnowsAFileFromAFolderADeviceAndNothing)
{
    const TempFolder folder;
    folder.Write("file.txt", "x");
    fs::create_directory(folder.Host("folder"));
    EXPECT_EQ(FileKind::Regular, KindOfFile(NameOf(folder, "file.txt")));
    EXPECT_EQ(FileKind::Folder, KindOfFile(NameOf(folder, "folder")));
    EXPECT_EQ(FileKind::Missing, KindOfFile(NameOf(folder, "missing.txt")));
    EXPECT_EQ(FileKind::Missing, KindOfFile(NameOf(folder, "no-folder/missing.txt")));
    EXPECT_EQ(FileKind::Other, KindOfFile(NullDeviceName()));
}

TEST(CallerFiles, OpensOnlyARegularFileForReading)
{
    const TempFolder folder;
    folder.Write("file.txt", "x");
    fs::create_directory(folder.Host("folder"));
    std::FILE* file = OpenRegularFile(NameOf(folder, "file.txt"));
    EXPECT_NE(nullptr, file);
    if (file)
        (void)std::fclose(file);
    EXPECT_EQ(nullptr, OpenRegularFile(NameOf(folder, "folder")));
    EXPECT_EQ(nullptr, OpenRegularFile(NameOf(folder, "missing.txt")));
    EXPECT_EQ(nullptr, OpenRegularFile(NullDeviceName())) << "the null device reads as an empty file";
}

TEST(CallerFiles, ALogReplacesAFileOrMakesOneAndNothingElse)
{
    const TempFolder folder;
    folder.Write("old.jsonl", "x");
    fs::create_directory(folder.Host("folder"));
    std::string why;
    EXPECT_TRUE(MayWriteLogFile(NameOf(folder, "old.jsonl"), why)) << why;
    EXPECT_TRUE(MayWriteLogFile(NameOf(folder, "new.jsonl"), why)) << why;
    EXPECT_FALSE(MayWriteLogFile(NameOf(folder, "folder"), why));
    EXPECT_EQ("is a folder", why);
    why.clear();
    EXPECT_FALSE(MayWriteLogFile(NullDeviceName(), why));
    EXPECT_NE("", why);
}

} // namespace
