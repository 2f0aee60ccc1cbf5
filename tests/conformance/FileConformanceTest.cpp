#include "TempFolder.h"

#include "platform/CFile.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fs = std::filesystem;

namespace {

// Runs a call that should fail and returns GetLastError() after it, or 0 when it succeeded.
template<class Call> DWORD ErrorOf(Call call)
{
    SetLastError(0);
    return call() ? 0 : GetLastError();
}

void MakeReadOnly(const fs::path& file)
{
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
        fs::perm_options::remove);
}

TEST(CopyFileConformance, CopiesAndReplacesAnExistingFile)
{
    TempFolder folder;
    folder.Write("src.txt", "new content");
    folder.Write("dst.txt", "old content that is longer");

    EXPECT_TRUE(CopyFileA(folder.Path("src.txt").c_str(), folder.Path("fresh.txt").c_str(), FALSE));
    EXPECT_EQ("new content", folder.Read("fresh.txt"));
    EXPECT_TRUE(CopyFileA(folder.Path("src.txt").c_str(), folder.Path("dst.txt").c_str(), FALSE));
    EXPECT_EQ("new content", folder.Read("dst.txt"));
    EXPECT_EQ(ERROR_FILE_EXISTS, ErrorOf([&] {
        return CopyFileA(folder.Path("src.txt").c_str(), folder.Path("dst.txt").c_str(), TRUE);
    }));
}

TEST(CopyFileConformance, ReportsWhyACopyFails)
{
    TempFolder folder;
    folder.Write("src.txt", "x");
    fs::create_directory(folder.Host("sub"));
    const auto copy = [&](const std::string& from, const std::string& to) {
        return ErrorOf([&] { return CopyFileA(folder.Path(from).c_str(), folder.Path(to).c_str(), FALSE); });
    };
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, copy("missing.txt", "out.txt"));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, copy("nodir\\missing.txt", "out.txt"));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, copy("src.txt", "nodir\\out.txt"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, copy("src.txt", "sub"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, copy("sub", "out.txt"));
    EXPECT_FALSE(fs::exists(folder.Host("out.txt")));
}

TEST(CopyFileConformance, TakesTheSourcesReadOnlyAttributeAndFindsNamesWithoutCase)
{
    TempFolder folder;
    folder.Write("Source.TXT", "payload");
    MakeReadOnly(folder.Host("Source.TXT"));

    ASSERT_TRUE(CopyFileA(folder.Path("source.txt").c_str(), folder.Path("copy.txt").c_str(), FALSE));
    EXPECT_EQ("payload", folder.Read("copy.txt"));
    const DWORD attributes = GetFileAttributesA(folder.Path("COPY.TXT").c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(CreateDirectoryConformance, CreatesOneLevelOnly)
{
    TempFolder folder;
    folder.Write("file.txt", "x");
    const auto create = [&](const std::string& path) {
        return ErrorOf([&] { return CreateDirectoryA(folder.Path(path).c_str(), nullptr); });
    };
    EXPECT_EQ(0u, create("one"));
    EXPECT_TRUE(fs::is_directory(folder.Host("one")));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, create("one"));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, create("ONE")) << "names differing only in case are one folder";
    EXPECT_EQ(ERROR_ALREADY_EXISTS, create("one\\"));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, create("file.txt"));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, create("two\\three"));
    EXPECT_FALSE(fs::exists(folder.Host("two")));
    EXPECT_EQ(0u, create("four\\")) << "a trailing separator is allowed";
    EXPECT_EQ(ERROR_INVALID_NAME, create("bad|name"));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, ErrorOf([] { return CreateDirectoryA("", nullptr); }));
}

TEST(PathConformance, NamesLongerThanMaxPathAreRefused)
{
    TempFolder folder;
    std::string longName = folder.Path() + "\\";
    longName.append(MAX_PATH + 1 - longName.size(), 'n');
    ASSERT_EQ(MAX_PATH + 1, longName.size());
    EXPECT_EQ(
        ERROR_FILENAME_EXCED_RANGE, ErrorOf([&] { return CreateDirectoryA(longName.c_str(), nullptr); }));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(longName.c_str()));
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, GetLastError());
}

TEST(PathConformance, RelativePathsResolveAgainstTheCurrentDirectory)
{
    TempFolder folder;
    folder.Write("pkg\\files\\a.txt", "a");
    CurrentDirectoryScope inside(folder.Host("pkg"));
    EXPECT_TRUE(CopyFileA("files\\a.txt", "b.txt", FALSE));
    EXPECT_TRUE(CopyFileA(".\\files\\..\\b.txt", "files\\c.txt", FALSE));
    EXPECT_EQ("a", folder.Read("pkg\\files\\c.txt"));
}

TEST(FullPathConformance, JoinsNamesToTheCurrentDirectoryWithoutLookingThemUp)
{
    TempFolder folder;
    fs::create_directories(folder.Host("Package\\files"));
    CurrentDirectoryScope inside(folder.Host("Package"));
    const std::string here = folder.Path("Package");
    const struct {
        const char* name;
        std::string full;
        const char* filePart; // nullptr: the name ends with a separator
    } cases[] = {
        { "log.jsonl", here + "\\log.jsonl", "log.jsonl" },
        { "missing\\log.jsonl", here + "\\missing\\log.jsonl", "log.jsonl" },
        { "files/../a/./b.txt", here + "\\a\\b.txt", "b.txt" },
        { "..\\backup", folder.Path("backup"), "backup" },
        { "backup\\", here + "\\backup\\", nullptr },
        { ".", here, "Package" },
        { "Z:\\x\\..\\y", "Z:\\y", "y" },
        { "\\y", here.substr(0, 2) + "\\y", "y" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[MAX_PATH + 8];
        std::memset(buffer, 'X', sizeof buffer);
        LPSTR filePart = buffer;
        EXPECT_EQ(c.full.size(), GetFullPathNameA(c.name, sizeof buffer, buffer, &filePart));
        EXPECT_EQ(c.full, std::string(buffer));
        if (c.filePart)
            EXPECT_STREQ(c.filePart, filePart);
        else
            EXPECT_EQ(nullptr, filePart);
    }

    // Too small a buffer: nothing written, the size needed returned, terminator included.
    const std::string full = here + "\\log.jsonl";
    char buffer[MAX_PATH + 8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(
        full.size() + 1, GetFullPathNameA("log.jsonl", static_cast<DWORD>(full.size()), buffer, nullptr));
    EXPECT_EQ('X', buffer[0]);
    EXPECT_EQ(full.size() + 1, GetFullPathNameA("log.jsonl", 0, nullptr, nullptr));
    EXPECT_EQ(
        full.size(), GetFullPathNameA("log.jsonl", static_cast<DWORD>(full.size() + 1), buffer, nullptr));
    EXPECT_EQ(full, std::string(buffer));
}

TEST(CurrentDirectoryConformance, FollowsWin32BufferRules)
{
    TempFolder folder;
    fs::create_directory(folder.Host("Package"));
    CurrentDirectoryScope inside(folder.Host("Package"));
    const std::string expected = folder.Path("Package");

    char buffer[MAX_PATH + 8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(expected.size(), GetCurrentDirectoryA(sizeof buffer, buffer));
    EXPECT_EQ(expected, std::string(buffer));

    // Exactly the text and its terminator fit.
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(expected.size(), GetCurrentDirectoryA(static_cast<DWORD>(expected.size() + 1), buffer));
    EXPECT_EQ(expected, std::string(buffer));

    // One byte short: nothing written, the size needed returned, terminator included.
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(expected.size() + 1, GetCurrentDirectoryA(static_cast<DWORD>(expected.size()), buffer));
    EXPECT_EQ('X', buffer[0]);
    EXPECT_EQ(expected.size() + 1, GetCurrentDirectoryA(0, nullptr));

    // A drive root keeps its separator.
    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\"));
    EXPECT_EQ(3u, GetCurrentDirectoryA(sizeof buffer, buffer));
    EXPECT_STREQ("Z:\\", buffer);
    ASSERT_TRUE(SetCurrentDirectoryA(expected.c_str()));
    EXPECT_EQ(expected.size(), GetCurrentDirectoryA(sizeof buffer, buffer));
}

TEST(CFileConformance, OpensReadsAndReportsFailures)
{
    TempFolder folder;
    folder.Write("install.conf", "0123456789");
    fs::create_directory(folder.Host("folder"));

    CFile file;
    ASSERT_TRUE(file.Open(folder.Path("INSTALL.CONF").c_str(), CFile::modeRead));
    char buffer[16];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(4u, file.Read(buffer, 4));
    EXPECT_EQ(6u, file.Read(buffer + 4, 12)) << "a read stops at the end of the file";
    EXPECT_EQ("0123456789XX", std::string(buffer, 12));
    EXPECT_EQ(0u, file.Read(buffer, 4));
    file.Close();
    EXPECT_EQ(CFile::readError, file.Read(buffer, 4)) << "a closed file cannot be read";

    CFileException error;
    EXPECT_FALSE(file.Open(folder.Path("missing.txt").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(static_cast<LONG>(ERROR_FILE_NOT_FOUND), error.m_lOsError);
    EXPECT_FALSE(file.Open(folder.Path("nodir\\missing.txt").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(static_cast<LONG>(ERROR_PATH_NOT_FOUND), error.m_lOsError);
    EXPECT_FALSE(file.Open(folder.Path("folder").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(static_cast<LONG>(ERROR_ACCESS_DENIED), error.m_lOsError);
    EXPECT_FALSE(file.IsOpen());
}

} // namespace
