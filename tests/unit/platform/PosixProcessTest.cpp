// Processes, named mutexes and the computer name on POSIX: what the command line relies on to wait
// for the service commands, to keep a second install out, and to name the machine in its log.
#include "TempFolder.h"

#include "platform/MachineChanges.h"
#include "platform/UniqueHandle.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

UniqueObject Start(const std::string& commandLine)
{
    return StartWindowlessProcess(commandLine);
}

TEST(PosixProcess, WaitGivesTheExitCodeAndASignalCountsAsTheShellReportsIt)
{
    const struct {
        const char* command;
        DWORD exitCode;
    } cases[] = { { "exit 0", 0 }, { "exit 3", 3 }, { "exit 255", 255 }, { "kill -9 $$", 128 + 9 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const UniqueObject process = Start(c.command);
        ASSERT_TRUE(process);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), INFINITE));
        DWORD exitCode = 12345;
        EXPECT_TRUE(GetExitCodeProcess(process.get(), &exitCode));
        EXPECT_EQ(c.exitCode, exitCode);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 0)) << "an ended process stays signalled";
    }
}

TEST(PosixProcess, ARunningProcessIsStillActiveUntilItEnds)
{
    const UniqueObject process = Start("sleep 0.3");
    ASSERT_TRUE(process);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(process.get(), 0));
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeProcess(process.get(), &exitCode));
    EXPECT_EQ(STILL_ACTIVE, exitCode);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 5000));
    EXPECT_TRUE(GetExitCodeProcess(process.get(), &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(nullptr, 0));
}

class PosixNamedMutex : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* store = std::getenv("TARNWICK_REGISTRY");
        m_previous = store ? store : "";
        ::setenv("TARNWICK_REGISTRY", m_folder.Host("machine.reg").c_str(), 1);
    }
    void TearDown() override
    {
        if (m_previous.empty())
            ::unsetenv("TARNWICK_REGISTRY");
        else
            ::setenv("TARNWICK_REGISTRY", m_previous.c_str(), 1);
    }
    TempFolder m_folder;
    std::string m_previous;
};

// The name is taken while one holder keeps its handle, by any process of the same machine, and
// free again once it closes; another machine (store) has names of its own.
TEST_F(PosixNamedMutex, ASecondCreatorSeesTheNameTakenUntilTheHolderCloses)
{
    UniqueObject first(CreateMutexA(nullptr, FALSE, "Global\\TarnwickTest"));
    ASSERT_TRUE(first);
    EXPECT_EQ(ERROR_SUCCESS, GetLastError());

    const pid_t child = ::fork();
    if (child == 0) {
        HANDLE second = CreateMutexA(nullptr, FALSE, "Global\\TarnwickTest");
        const bool taken = second && GetLastError() == ERROR_ALREADY_EXISTS;
        ::setenv("TARNWICK_REGISTRY", "/tmp/another-machine-of-this-test.reg", 1);
        HANDLE elsewhere = CreateMutexA(nullptr, FALSE, "Global\\TarnwickTest");
        const bool free = elsewhere && GetLastError() == ERROR_SUCCESS;
        (void)CloseHandle(elsewhere);
        (void)::unlink("/tmp/another-machine-of-this-test.reg.Global_TarnwickTest.lock");
        ::_exit(taken && free ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "taken for this machine, free for another";

    first.reset();
    UniqueObject again(CreateMutexA(nullptr, FALSE, "Global\\TarnwickTest"));
    ASSERT_TRUE(again);
    EXPECT_EQ(ERROR_SUCCESS, GetLastError());
}

// A name whose lock file cannot be made (its folder is gone) is not taken by anyone, but it is no
// free name either: CreateMutexA fails, as it does on Windows for a name it cannot create.
TEST_F(PosixNamedMutex, ANameThatCannotBeHeldIsRefused)
{
    ::setenv("TARNWICK_REGISTRY", m_folder.Host("no-such-folder/machine.reg").c_str(), 1);
    SetLastError(ERROR_SUCCESS);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Global\\TarnwickTest");
    EXPECT_EQ(nullptr, mutex);
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
}

TEST(PosixComputerName, IsTheMachinesOwnNameInUpperCaseWithWin32BufferRules)
{
    ::setenv("TARNWICK_COMPUTERNAME", "web-07.example.org", 1);
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = 3;
    EXPECT_FALSE(GetComputerNameA(name, &size));
    EXPECT_EQ(static_cast<DWORD>(ERROR_BUFFER_OVERFLOW), GetLastError());
    EXPECT_EQ(7u, size) << "too small: the size needed, terminator included";
    size = sizeof name;
    EXPECT_TRUE(GetComputerNameA(name, &size));
    EXPECT_EQ("WEB-07", std::string(name));
    EXPECT_EQ(6u, size);
    ::unsetenv("TARNWICK_COMPUTERNAME");
}

} // namespace
