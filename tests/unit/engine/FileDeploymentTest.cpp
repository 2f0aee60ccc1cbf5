#include "engine/FileDeployment.h"

#include "EngineTestHelpers.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Every message carries the program's name as its caption.
const std::string kTitle = "test_engine";
const std::string kCopyError = "An error occurred while copying files";
const std::string kAddDirectoryFailed
    = "Add Directory Failed!\nYou Cannot create sub directories off parent directories which do not exist.";

std::string Question(const std::string& path)
{
    return "The folder " + path + " does not exist\nWould you like to create it?";
}

using ExpectedMessages = std::vector<std::pair<std::string, UINT>>;

void ExpectMessages(const MessageRecorder& recorder, const ExpectedMessages& expected)
{
    const std::vector<ShownMessage>& shown = recorder.Messages();
    ASSERT_EQ(shown.size(), expected.size()) << ::testing::PrintToString(recorder.Texts());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].text, expected[i].first);
        EXPECT_EQ(shown[i].style, expected[i].second) << shown[i].text;
        EXPECT_EQ(shown[i].caption, kTitle) << shown[i].text;
    }
}

// A package tree with the kinds of entry a copy must handle.
void WritePackage(const TempFolder& folder, const std::string& under)
{
    folder.Write(under + "\\readme.txt", "read me\r\n");
    folder.Write(under + "\\.hidden", "dot file");
    folder.Write(under + "\\lib\\tag.jar", std::string("PK\0\x03\x04 binary\r\n\x1a", 14));
    folder.Write(under + "\\lib\\native\\tag.dll", "MZ");
    folder.Write(under + "\\.settings\\prefs", "x=1");
    fs::create_directories(folder.Host(under + "\\empty"));
}

const std::set<std::string> kPackageTree = {
    ".hidden",
    ".settings/",
    ".settings/prefs",
    "empty/",
    "lib/",
    "lib/native/",
    "lib/native/tag.dll",
    "lib/tag.jar",
    "readme.txt",
};

} // namespace

TEST(EngineDestinationFolder, AnExistingFolderOrFileNeedsNoQuestion)
{
    const TempFolder folder;
    folder.Write("file.txt", "x");
    fs::create_directories(folder.Host("dir"));
    const MessageRecorder recorder;
    for (const std::string& path : { folder.Path("dir"), folder.Path("dir") + "\\", folder.Path("file.txt") })
        EXPECT_TRUE(EnsureDestinationFolder(path)) << path;
    ExpectMessages(recorder, {});
}

TEST(EngineDestinationFolder, DecliningShowsThePathWithoutItsTrailingSeparatorAndCreatesNothing)
{
    const TempFolder folder;
    const std::string missing = folder.Path("missing");
    for (const std::string& path : { missing, missing + "\\", missing + "/" }) {
        MessageRecorder recorder;
        recorder.Answer(IDNO);
        EXPECT_FALSE(EnsureDestinationFolder(path)) << path;
        ExpectMessages(recorder, { { Question(missing), MB_YESNO } });
        EXPECT_FALSE(fs::exists(folder.Host("missing"))) << path;
    }
}

TEST(EngineDestinationFolder, YesCreatesTheFolder)
{
    const TempFolder folder;
    MessageRecorder recorder;
    recorder.Answer(IDYES);
    EXPECT_TRUE(EnsureDestinationFolder(folder.Path("new") + "\\"));
    ExpectMessages(recorder, { { Question(folder.Path("new")), MB_YESNO } });
    EXPECT_TRUE(fs::is_directory(folder.Host("new")));
}

TEST(EngineDestinationFolder, OnlyTheLastLevelIsCreated)
{
    const TempFolder folder;
    const std::string path = folder.Path("parent\\child");
    MessageRecorder recorder;
    recorder.Answer(IDYES);
    EXPECT_FALSE(EnsureDestinationFolder(path));
    ExpectMessages(recorder, { { Question(path), MB_YESNO }, { kAddDirectoryFailed, MB_ICONHAND } });
    EXPECT_FALSE(fs::exists(folder.Host("parent")));
}

TEST(EngineCopyFolderTree, CopiesNestedEmptyAndHiddenEntriesByteForByte)
{
    const TempFolder folder;
    WritePackage(folder, "pkg");
    fs::create_directories(folder.Host("out"));
    const MessageRecorder recorder;

    EXPECT_TRUE(CopyFolderTree(folder.Path("pkg"), folder.Path("out")));

    // The content lands in the destination itself, not in a copy of the source folder below it.
    EXPECT_EQ(TreeOf(folder.Host("out")), kPackageTree);
    for (const char* file :
        { "readme.txt", ".hidden", "lib\\tag.jar", "lib\\native\\tag.dll", ".settings\\prefs" })
        EXPECT_EQ(folder.Read(std::string("out\\") + file), folder.Read(std::string("pkg\\") + file)) << file;
    ExpectMessages(recorder, {});
}

TEST(EngineCopyFolderTree, OverwritesFilesOfTheSameNameAndDeletesNothing)
{
    const TempFolder folder;
    WritePackage(folder, "pkg");
    folder.Write("out\\readme.txt", "an earlier, longer version of the file");
    folder.Write("out\\lib\\tag.jar", "old jar");
    folder.Write("out\\notes.txt", "the user's own");
    folder.Write("out\\lib\\extra.jar", "another package's");

    EXPECT_TRUE(CopyFolderTree(folder.Path("pkg"), folder.Path("out")));

    EXPECT_EQ(folder.Read("out\\readme.txt"), "read me\r\n");
    EXPECT_EQ(folder.Read("out\\lib\\tag.jar"), folder.Read("pkg\\lib\\tag.jar"));
    EXPECT_EQ(folder.Read("out\\notes.txt"), "the user's own");
    EXPECT_EQ(folder.Read("out\\lib\\extra.jar"), "another package's");
    std::set<std::string> expected = kPackageTree;
    expected.insert({ "notes.txt", "lib/extra.jar" });
    EXPECT_EQ(TreeOf(folder.Host("out")), expected);
}

TEST(EngineCopyFolderTree, AMissingEmptyOrFileSourceCopiesNothingAndSucceeds)
{
    const TempFolder folder;
    fs::create_directories(folder.Host("empty"));
    folder.Write("file.txt", "not a folder");
    fs::create_directories(folder.Host("out"));
    const MessageRecorder recorder;
    for (const char* source : { "missing", "empty", "file.txt" }) {
        EXPECT_TRUE(CopyFolderTree(folder.Path(source), folder.Path("out"))) << source;
        EXPECT_TRUE(fs::is_empty(folder.Host("out"))) << source;
    }
    ExpectMessages(recorder, {});
}

TEST(EngineDeployFiles, SubstitutesAndCollapsesTheDestinationThenCreatesItAndCopies)
{
    const TempFolder folder;
    WritePackage(folder, "pkg");
    // The directory box ends with a backslash; the doubled one it leaves is collapsed before the
    // question.
    const ConfigOption option = CopyOption(folder.Path() + "\\\\pkg", R"(%DIR1%\MyTag)");
    MessageRecorder recorder;
    recorder.Answer(IDYES);

    EXPECT_TRUE(DeployFiles(option, { folder.Path() + "\\", "", "unused" }));

    ExpectMessages(recorder, { { Question(folder.Path("MyTag")), MB_YESNO } });
    EXPECT_EQ(TreeOf(folder.Host("MyTag")), kPackageTree);
}

TEST(EngineDeployFiles, TheSourceKeepsItsPlaceholders)
{
    const TempFolder folder;
    WritePackage(folder, "pkg");
    fs::create_directories(folder.Host("cwd"));
    fs::create_directories(folder.Host("out"));
    const CurrentDirectoryScope inEmptyFolder(folder.Host("cwd"));
    const MessageRecorder recorder;

    EXPECT_TRUE(DeployFiles(CopyOption("%DIR1%", folder.Path("out")), { folder.Path("pkg"), "", "" }));

    EXPECT_TRUE(fs::is_empty(folder.Host("out")));
    ExpectMessages(recorder, {});
}

TEST(EngineDeployFiles, ARelativeSourceIsFoundFromTheCurrentDirectory)
{
    const TempFolder folder;
    WritePackage(folder, "pkg\\files");
    fs::create_directories(folder.Host("out"));
    const CurrentDirectoryScope inPackage(folder.Host("pkg"));

    EXPECT_TRUE(DeployFiles(CopyOption("files", "%DIR2%"), { "", folder.Path("out"), "" }));

    EXPECT_EQ(TreeOf(folder.Host("out")), kPackageTree);
}

TEST(EngineDeployFiles, ADeclinedFolderStopsWithoutAnotherMessage)
{
    const TempFolder folder;
    WritePackage(folder, "pkg");
    MessageRecorder recorder;
    recorder.Answer(IDNO);

    EXPECT_FALSE(DeployFiles(CopyOption(folder.Path("pkg"), "%DIR3%\\out"), { "", "", folder.Path() }));

    ExpectMessages(recorder, { { Question(folder.Path("out")), MB_YESNO } });
    EXPECT_FALSE(fs::exists(folder.Host("out")));
}

TEST(EngineDeployFiles, AFailedFolderCreationStopsBeforeCopying)
{
    const TempFolder folder;
    WritePackage(folder, "pkg");
    MessageRecorder recorder;
    recorder.Answer(IDYES);

    EXPECT_FALSE(DeployFiles(CopyOption(folder.Path("pkg"), folder.Path("a\\b")), {}));

    ExpectMessages(
        recorder, { { Question(folder.Path("a\\b")), MB_YESNO }, { kAddDirectoryFailed, MB_ICONHAND } });
    EXPECT_FALSE(fs::exists(folder.Host("a")));
}

TEST(EngineDeployFiles, ADestinationThatIsAFileFailsTheCopyWithoutAQuestion)
{
    const TempFolder folder;
    WritePackage(folder, "pkg");
    folder.Write("taken", "a file, not a folder");
    const MessageRecorder recorder;

    EXPECT_FALSE(DeployFiles(CopyOption(folder.Path("pkg"), folder.Path("taken")), {}));

    ExpectMessages(recorder, { { kCopyError, MB_OK } });
    EXPECT_EQ(folder.Read("taken"), "a file, not a folder");
}

TEST(EngineDeployFiles, ANetworkShareKeepsItsLeadingBackslashes)
{
    MessageRecorder recorder;
    recorder.Answer(IDNO);

    EXPECT_FALSE(
        DeployFiles(CopyOption("pkg", R"(\\%DIR1%\share\\tags)"), { "tarnwick-no-such-server", "", "" }));

    ExpectMessages(recorder, { { Question(R"(\\tarnwick-no-such-server\share\tags)"), MB_YESNO } });
}
