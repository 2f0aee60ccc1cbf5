// The simulated machine's log key file: made beside the registry store for its owner alone, and
// refused whenever it is anything else.
#include "LogKeyHelpers.h"

#include "platform/MachineLogKey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string KeyFile()
{
    return std::string(std::getenv("TARNWICK_REGISTRY")) + ".logkey";
}

void WriteKeyFile(const std::string& bytes, mode_t mode)
{
    {
        std::ofstream out(KeyFile(), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    ASSERT_EQ(0, ::chmod(KeyFile().c_str(), mode));
}

// MachineLogKey fails, leaves key as it was, and says why.
::testing::AssertionResult Refused()
{
    std::string key = "untouched";
    std::string error;
    if (MachineLogKey(key, error))
        return ::testing::AssertionFailure() << "a key was taken";
    if (key != "untouched" || error.empty())
        return ::testing::AssertionFailure() << "key " << key.size() << " bytes, error \"" << error << "\"";
    return ::testing::AssertionSuccess() << error;
}

TEST(PosixLogKey, KeptBesideTheStoreForItsOwnerAlone)
{
    const FreshLogKeyScope fresh;
    const mode_t previous = ::umask(0);
    std::string key;
    std::string error;
    const bool made = MachineLogKey(key, error);
    (void)::umask(previous);
    ASSERT_TRUE(made) << error;
    struct stat st;
    ASSERT_EQ(0, ::lstat(KeyFile().c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(0600u, st.st_mode & 07777) << "even under an umask of 0";
    EXPECT_EQ(::geteuid(), st.st_uid);
    std::ifstream in(KeyFile(), std::ios::binary);
    EXPECT_EQ(key, std::string(std::istreambuf_iterator<char>(in), {}));
    // Nothing else is left beside it.
    int entries = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(KeyFile()).parent_path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(1, entries);
}

TEST(PosixLogKey, AFileThatIsNoKeyOfOursIsRefused)
{
    const FreshLogKeyScope fresh;
    const std::string key(kMachineLogKeySize, 'k');
    for (std::size_t size : { kMachineLogKeySize - 1, kMachineLogKeySize + 1, std::size_t { 0 } }) {
        SCOPED_TRACE(size);
        WriteKeyFile(std::string(size, 'k'), 0600);
        EXPECT_TRUE(Refused());
    }
    for (mode_t mode : { 0640, 0604, 0620, 0602, 0644 }) {
        SCOPED_TRACE(mode);
        WriteKeyFile(key, mode);
        EXPECT_TRUE(Refused());
    }
    WriteKeyFile(key, 0600);
    std::string taken;
    std::string error;
    ASSERT_TRUE(MachineLogKey(taken, error)) << error;
    EXPECT_EQ(key, taken) << "a key file of the right form is the machine's key";
    if (::geteuid() == 0) {
        ASSERT_EQ(0, ::chown(KeyFile().c_str(), 65534, 65534));
        EXPECT_TRUE(Refused()) << "another user's file, planted with its key known";
    }
}

TEST(PosixLogKey, ALinkAFolderOrAPipeInItsPlaceIsRefused)
{
    const FreshLogKeyScope fresh;
    const fs::path elsewhere = fs::path(KeyFile()).parent_path() / "mine";
    {
        std::ofstream out(elsewhere, std::ios::binary);
        out << std::string(kMachineLogKeySize, 'k');
    }
    ASSERT_EQ(0, ::chmod(elsewhere.c_str(), 0600));
    fs::create_symlink(elsewhere, KeyFile());
    EXPECT_TRUE(Refused()) << "a link could point at a key someone knows";
    fs::remove(KeyFile());
    fs::create_directory(KeyFile());
    EXPECT_TRUE(Refused());
    fs::remove(KeyFile());
    ASSERT_EQ(0, ::mkfifo(KeyFile().c_str(), 0600));
    EXPECT_TRUE(Refused());
}

TEST(PosixLogKey, AMachineWithoutAStoreHasNoPlaceForIt)
{
    const FreshLogKeyScope fresh;
    (void)::unsetenv("TARNWICK_REGISTRY");
    EXPECT_TRUE(Refused());
}

} // namespace
