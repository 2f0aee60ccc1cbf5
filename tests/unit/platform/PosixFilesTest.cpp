#include "TempFolder.h"

#include "platform/CFileFind.h"
#include "platform/CopiedBytes.h"
#include "platform/MessageService.h"
#include "platform/posix/files/DriveMap.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace fs = std::filesystem;

namespace {

class DriveMapping : public ::testing::Test {
protected:
    void TearDown() override
    {
        const char* text = std::getenv("TARNWICK_DRIVES");
        posix::SetDriveMapping(text ? text : "");
    }
};

// RemoveDirectoryA refuses a drive's root, as Windows does, even when it is empty.
TEST_F(DriveMapping, ADrivesRootIsNeverRemoved)
{
    TempFolder folder;
    fs::create_directory(folder.Host("c"));
    posix::SetDriveMapping("C:=" + folder.Host("c").string());
    SetLastError(0);
    EXPECT_FALSE(RemoveDirectoryA("C:\\"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_TRUE(fs::is_directory(folder.Host("c")));
}

// The temporary folder is TMPDIR through the drive that holds it, with Win32's buffer rules; a
// TMPDIR no drive holds has none.
TEST_F(DriveMapping, TheTempFolderIsTmpdirThroughItsDrive)
{
    TempFolder folder;
    fs::create_directories(folder.Host("c/temp"));
    const char* was = std::getenv("TMPDIR");
    const std::string saved = was ? was : "";
    setenv("TMPDIR", folder.Host("c/temp").c_str(), 1);
    posix::SetDriveMapping("C:=" + folder.Host("c").string());
    char buffer[MAX_PATH] = "untouched";
    EXPECT_EQ(9u, GetTempPathA(8, buffer)); // "C:\temp\" and its terminator
    EXPECT_STREQ("untouched", buffer);
    EXPECT_EQ(8u, GetTempPathA(sizeof buffer, buffer));
    EXPECT_STREQ("C:\\temp\\", buffer);
    posix::SetDriveMapping("D:=" + folder.Host("c").string() + "/elsewhere;Z:=" + folder.Host("c").string() + "/no");
    SetLastError(0);
    EXPECT_EQ(0u, GetTempPathA(sizeof buffer, buffer));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    if (was)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

// Only A to Z are drive letters. Under a Latin-1 locale the C library counts 0xE9 as a letter and
// upper-cases it to 0xC9, far past the 26 drives; the terminal wizard takes the user's locale.
TEST_F(DriveMapping, OnlyAsciiLettersNameDrives)
{
    TempFolder folder;
    fs::create_directory(folder.Host("c"));
    // A Latin-1 locale of the test's own, where the system's locale data can make one; the
    // letters are checked in the C locale too.
    const std::string before = std::setlocale(LC_CTYPE, nullptr);
    fs::create_directory(folder.Host("latin1"));
    const std::string command = "localedef -i fr_FR -f ISO-8859-1 '" + folder.Host("latin1").string()
        + "/fr_FR.ISO-8859-1' >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0 && setenv("LOCPATH", folder.Host("latin1").c_str(), 1) == 0)
        (void)std::setlocale(LC_CTYPE, "fr_FR.ISO-8859-1");
    posix::SetDriveMapping("\xE9:=/;\xC9:=/;C:=" + folder.Host("c").string());
    EXPECT_EQ(0, posix::DriveIndex('a'));
    EXPECT_EQ(25, posix::DriveIndex('Z'));
    for (const char c : { '\xE9', '\xC9', '\xFF', '@', '[', '`', '{', '1' }) {
        EXPECT_EQ(-1, posix::DriveIndex(c)) << int(static_cast<unsigned char>(c));
        EXPECT_FALSE(posix::DriveRoot(c)) << int(static_cast<unsigned char>(c));
    }
    EXPECT_FALSE(CreateDirectoryA("\xE9:\\x", nullptr));
    EXPECT_TRUE(CreateDirectoryA("c:\\x", nullptr));
    EXPECT_TRUE(fs::is_directory(folder.Host("c\\x")));
    std::setlocale(LC_CTYPE, before.c_str());
    unsetenv("LOCPATH");
}

TEST_F(DriveMapping, MapsLettersToHostFoldersLikeDosdevices)
{
    TempFolder folder;
    fs::create_directories(folder.Host("c\\Tags"));
    fs::create_directories(folder.Host("d"));
    const std::string c = folder.Host("c").string();
    posix::SetDriveMapping("C:=" + c + "/;d:=" + folder.Host("d").string() + ";bad;Q=/x;R:=relative");

    EXPECT_EQ(c, posix::DriveRoot('c'));
    EXPECT_EQ("/", posix::DriveRoot('Z')) << "Z: is the root unless mapped otherwise";
    EXPECT_FALSE(posix::DriveRoot('Q'));
    EXPECT_FALSE(posix::DriveRoot('R')) << "a relative folder is no drive";
    EXPECT_EQ("C:\\Tags\\x", posix::WindowsPathOfHost(c + "/Tags/x"));
    EXPECT_EQ("C:\\", posix::WindowsPathOfHost(c));
    EXPECT_EQ("Z:\\etc", posix::WindowsPathOfHost("/etc"));

    ASSERT_TRUE(CreateDirectoryA("C:\\Tags\\New", nullptr));
    EXPECT_TRUE(fs::is_directory(folder.Host("c\\Tags\\New")));
    EXPECT_TRUE(CreateDirectoryA("D:NoSeparator", nullptr))
        << "drive-relative on another drive starts at its root";
    EXPECT_TRUE(fs::is_directory(folder.Host("d\\NoSeparator")));

    {
        CurrentDirectoryScope inside(folder.Host("c\\Tags"));
        char buffer[MAX_PATH];
        ASSERT_EQ(7u, GetCurrentDirectoryA(sizeof buffer, buffer));
        EXPECT_STREQ("C:\\Tags", buffer);
        EXPECT_TRUE(CreateDirectoryA("\\Rooted", nullptr)) << "a rooted path stays on the current drive";
        EXPECT_TRUE(fs::is_directory(folder.Host("c\\Rooted")));
        EXPECT_TRUE(CreateDirectoryA("..\\..\\..\\Above", nullptr)) << ".. stops at the drive's root";
        EXPECT_TRUE(fs::is_directory(folder.Host("c\\Above")));
    }

    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryA("Q:\\Tags", nullptr));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError()) << "an unmapped drive is a missing drive";
}

TEST(PosixPaths, SharesAreKeptWholeAndReportedUnreachable)
{
    TempFolder folder;
    folder.Write("a.txt", "x");
    SetLastError(0);
    EXPECT_FALSE(CopyFileA(folder.Path("a.txt").c_str(), "\\\\server\\share\\a.txt", FALSE));
    EXPECT_EQ(ERROR_BAD_NETPATH, GetLastError());
    EXPECT_FALSE(CreateDirectoryA("\\\\server\\share\\dir", nullptr));
    EXPECT_EQ(ERROR_BAD_NETPATH, GetLastError());
    CFileFind finder;
    EXPECT_FALSE(finder.FindFile("//server/share/*.*"));
    EXPECT_EQ(ERROR_BAD_NETPATH, GetLastError());
}

TEST(PosixPaths, NamesAreMatchedWithoutCaseAtEveryLevel)
{
    TempFolder folder;
    folder.Write("Package\\Files\\Sub\\install.conf", "x");
    EXPECT_NE(INVALID_FILE_ATTRIBUTES,
        GetFileAttributesA(folder.Path("PACKAGE\\files\\SUB\\INSTALL.CONF").c_str()));
    EXPECT_TRUE(CopyFileA(folder.Path("package\\FILES\\sub\\Install.Conf").c_str(),
        folder.Path("PACKAGE\\copy.conf").c_str(), FALSE));
    EXPECT_TRUE(fs::exists(folder.Host("Package\\copy.conf"))) << "a new file goes into the existing folder";
}

TEST(PosixPaths, LinksAreReparsePoints)
{
    TempFolder folder;
    folder.Write("tree\\target.txt", "x");
    fs::create_directory(folder.Host("tree\\dir"));
    fs::create_directory_symlink(folder.Host("tree\\dir"), folder.Host("tree\\dirlink"));
    fs::create_symlink(folder.Host("tree\\target.txt"), folder.Host("tree\\filelink"));
    fs::create_symlink(folder.Host("tree\\missing"), folder.Host("tree\\dangling"));

    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT,
        GetFileAttributesA(folder.Path("tree\\dirlink").c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT,
        GetFileAttributesA(folder.Path("tree\\filelink").c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT,
        GetFileAttributesA(folder.Path("tree\\dangling").c_str()));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(folder.Path("tree\\dir").c_str()));
}

// Windows refuses to replace a read-only file even for an administrator; so do both copies here,
// the plain one and the one whose bytes are watched (under Wine the refusal is Wine's own).
TEST(PosixPaths, AReadOnlyFileIsNotReplacedEvenByRoot)
{
    struct Unwatched : CopiedBytes {
        void Take(const void*, std::size_t) override { }
        void Lost() override { }
    } bytes;
    TempFolder folder;
    folder.Write("src.txt", "new");
    folder.Write("dst.txt", "old");
    fs::permissions(folder.Host("dst.txt"), fs::perms::owner_read);
    SetLastError(0);
    EXPECT_FALSE(CopyFileA(folder.Path("src.txt").c_str(), folder.Path("dst.txt").c_str(), FALSE));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ("old", folder.Read("dst.txt"));
    SetLastError(0);
    EXPECT_FALSE(
        CopyFileSeeing(folder.Path("src.txt").c_str(), folder.Path("dst.txt").c_str(), FALSE, bytes));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ("old", folder.Read("dst.txt"));
}

TEST(PosixHandles, AHandleIsClosedOnlyByItsOwnFunction)
{
    TempFolder folder;
    folder.Write("a.txt", "x");
    HANDLE file
        = CreateFileA(folder.Path("a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_FALSE(FindClose(file));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    DWORD read = 0;
    char byte;
    EXPECT_FALSE(ReadFile(file, &byte, 1, &read, nullptr));
}

TEST(PosixMessages, CaptionIsTheProgramsNameAndQuestionsChangeNothing)
{
    EXPECT_EQ("test_platform_posix", GetAppTitle());
    EXPECT_EQ(IDNO, PlatformMessageService().Show("Proceed?", "caption", MB_YESNO));
    EXPECT_EQ(IDOK, PlatformMessageService().Show("Note", "caption", MB_ICONHAND));
}

} // namespace
