// What the simulated machine refuses to have a log written over: its registry store and what is
// kept beside it, however the caller spells the name.
#include "TempFolder.h"

#include "platform/CallerFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// TARNWICK_REGISTRY for one test, given back afterwards.
class StoreScope {
public:
    explicit StoreScope(const std::string& store)
    {
        if (const char* old = std::getenv("TARNWICK_REGISTRY"))
            m_old = old;
        (void)::setenv("TARNWICK_REGISTRY", store.c_str(), 1);
    }
    ~StoreScope()
    {
        if (m_old)
            (void)::setenv("TARNWICK_REGISTRY", m_old->c_str(), 1);
        else
            (void)::unsetenv("TARNWICK_REGISTRY");
    }

private:
    std::optional<std::string> m_old;
};

bool Refused(const fs::path& log)
{
    std::string why;
    return !MayWriteLogFile(log.string(), why);
}

TEST(PosixCallerFiles, ALogIsNeverWrittenOverTheRegistryStoreOrWhatIsKeptBesideIt)
{
    const TempFolder folder;
    folder.Write("store/registry.reg", "REGEDIT4\r\n");
    fs::create_directory(folder.Host("logs"));
    const StoreScope scope(folder.Host("store/registry.reg").string());
    for (const char* name : { "store/registry.reg", "store/registry.reg.lock", "store/registry.reg.tmp",
             "store/registry.reg.Global_TarnwickCliInstall.lock", "store/registry.reg.logkey",
             "logs/../store/registry.reg", "store/./registry.reg.lock" }) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Refused(folder.Host(name)));
    }
    fs::create_symlink(folder.Host("store/registry.reg"), folder.Host("logs/link.jsonl"));
    fs::create_hard_link(folder.Host("store/registry.reg"), folder.Host("logs/hard.jsonl"));
    fs::create_directory_symlink(folder.Host("store"), folder.Host("logs/store-link"));
    EXPECT_TRUE(Refused(folder.Host("logs/link.jsonl")));
    EXPECT_TRUE(Refused(folder.Host("logs/hard.jsonl")));
    EXPECT_TRUE(Refused(folder.Host("logs/store-link/registry.reg.lock")));

    for (const char* name : { "store/registry.reg-notes.jsonl", "store/install.jsonl", "logs/registry.reg",
             "logs/install.jsonl" }) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Refused(folder.Host(name)));
    }
}

TEST(PosixCallerFiles, AStoreNotMadeYetIsRefusedAllTheSame)
{
    const TempFolder folder;
    fs::create_directory(folder.Host("store"));
    const StoreScope scope(folder.Host("store/registry.reg").string());
    EXPECT_TRUE(Refused(folder.Host("store/registry.reg")));
    EXPECT_FALSE(Refused(folder.Host("store/install.jsonl")));
}

TEST(PosixCallerFiles, APipeIsNeitherReadNorWaitedFor)
{
    const TempFolder folder;
    const std::string pipe = folder.Host("pipe").string();
    ASSERT_EQ(0, ::mkfifo(pipe.c_str(), 0600));
    EXPECT_EQ(FileKind::Other, KindOfFile(pipe));
    // No writer holds the other end: an open that waited would never come back.
    EXPECT_EQ(nullptr, OpenRegularFile(pipe));
    EXPECT_TRUE(Refused(pipe));
}

} // namespace
