// What only the POSIX layer can set up: symbolic links, a file that root may not overwrite, and a
// registry key the user may not write.
#include "engine/FileDeployment.h"
#include "engine/InstallEngine.h"

#include "EngineTestHelpers.h"
#include "platform/posix/registry/RegistryStore.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/RegistryHelpers.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kTitle = "test_engine_posix";
const std::string kCustomTags = R"(SOFTWARE\Allaire\ColdFusion\CurrentVersion\CustomTags)";
const std::string kOdbc = R"(SOFTWARE\ODBC\ODBC.INI)";
const std::string kServerDataSources = R"(SOFTWARE\Allaire\ColdFusion\CurrentVersion\DataSources)";

} // namespace

TEST(EnginePosixLinks, LinksInThePackageAreNeitherFollowedNorCopied)
{
    const TempFolder folder;
    folder.Write("pkg\\tag.jar", "jar");
    folder.Write("pkg\\lib\\native.dll", "dll");
    folder.Write("elsewhere\\secret.txt", "not part of the package");
    // A circle back to the package's own root, a folder and a file outside it.
    fs::create_directory_symlink("..", folder.Host("pkg\\lib\\loop"));
    fs::create_directory_symlink(folder.Host("elsewhere"), folder.Host("pkg\\outside"));
    fs::create_symlink(folder.Host("elsewhere\\secret.txt"), folder.Host("pkg\\secret.txt"));
    fs::create_directories(folder.Host("out"));
    const MessageRecorder recorder;

    EXPECT_TRUE(DeployFiles(CopyOption(folder.Path("pkg"), folder.Path("out")), {}));

    EXPECT_EQ(TreeOf(folder.Host("out")), (std::set<std::string> { "lib/", "lib/native.dll", "tag.jar" }));
    EXPECT_TRUE(recorder.Messages().empty()) << ::testing::PrintToString(recorder.Texts());
}

TEST(EnginePosixCopy, AReadOnlyDestinationFileFailsTheOptionAfterTheRestIsCopied)
{
    const TempFolder folder;
    for (const char* file : { "a.txt", "m.txt", "z.txt", "sub\\a.txt", "sub\\z.txt" })
        folder.Write(std::string("pkg\\") + file, std::string("new ") + file);
    folder.Write("out\\m.txt", "old, read-only");
    folder.Write("out\\sub\\a.txt", "old, writable");
    fs::permissions(
        folder.Host("out\\m.txt"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const MessageRecorder recorder;

    EXPECT_FALSE(InstallEngine().ApplyOption(
        CopyOption(folder.Path("pkg"), "%DIR1%"), { folder.Path("out"), "", "" }));

    EXPECT_EQ(folder.Read("out\\m.txt"), "old, read-only");
    for (const char* file : { "a.txt", "z.txt", "sub\\a.txt", "sub\\z.txt" })
        EXPECT_EQ(folder.Read(std::string("out\\") + file), std::string("new ") + file) << file;
    ASSERT_EQ(recorder.Messages().size(), 1u) << ::testing::PrintToString(recorder.Texts());
    EXPECT_EQ(recorder.Messages()[0].text, "An error occurred while copying files");
    EXPECT_EQ(recorder.Messages()[0].style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(recorder.Messages()[0].caption, kTitle);
}

class EnginePosixRegistry : public RegistryTest { };

TEST_F(EnginePosixRegistry, KeysTheUserMayNotWriteGetNothingAndTheOptionStillCounts)
{
    for (const std::string& key : { kCustomTags, kOdbc, kServerDataSources }) {
        SeedKey(HKEY_LOCAL_MACHINE, key);
        WriteProtectKey(key);
    }
    const MessageRecorder recorder;
    const InstallEngine engine;
    for (const char* type : { "JavaCFX", "C++CFX", "ODBC" }) {
        ConfigOption option;
        option.setType(type);
        option.setTagName("CFX_Tag");
        option.setClassName("Tag");
        option.setDescription("Samples");
        option.setSource("samples.mdb");
        EXPECT_TRUE(engine.ApplyOption(option, {})) << type;
    }

    for (const std::string& key : { kCustomTags, kOdbc, kServerDataSources }) {
        EXPECT_TRUE(SubKeyNames(HKEY_LOCAL_MACHINE, key).empty()) << key;
        EXPECT_TRUE(ReadStrings(HKEY_LOCAL_MACHINE, key).empty()) << key;
    }
    EXPECT_TRUE(recorder.Messages().empty());
}
