#include "TempFolder.h"

#include "platform/CFileFind.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;

namespace {

struct Found {
    bool dots = false;
    bool directory = false;
    bool hidden = false;
    std::string path;
    bool operator==(const Found&) const = default;
};

std::map<std::string, Found> FindAll(const std::string& pattern)
{
    std::map<std::string, Found> found;
    CFileFind finder;
    BOOL more = finder.FindFile(pattern.c_str());
    while (more) {
        more = finder.FindNextFile();
        found[finder.GetFileName()]
            = Found { finder.IsDots() != FALSE, finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY) != FALSE,
                  finder.MatchesMask(FILE_ATTRIBUTE_HIDDEN) != FALSE, finder.GetFilePath() };
    }
    return found;
}

TEST(FindConformance, ListsDotsFoldersAndHiddenFiles)
{
    TempFolder folder;
    folder.Write("tree\\file.txt", "x");
    folder.Write("tree\\noext", "x");
    folder.Write("tree\\.hidden", "x");
    folder.Write("tree\\sub\\inner.txt", "x");
    fs::create_directory(folder.Host("tree\\empty"));

    const std::string root = folder.Path("tree") + "\\";
    const std::map<std::string, Found> expected = {
        { ".", { true, true, false, root + "." } },
        { "..", { true, true, false, root + ".." } },
        { ".hidden", { false, false, true, root + ".hidden" } },
        { "empty", { false, true, false, root + "empty" } },
        { "file.txt", { false, false, false, root + "file.txt" } },
        { "noext", { false, false, false, root + "noext" } },
        { "sub", { false, true, false, root + "sub" } },
    };
    EXPECT_EQ(expected, FindAll(root + "*.*"));
    EXPECT_EQ(expected, FindAll(root + "*"));
}

TEST(FindConformance, DotsComeFirstAndTheRestBySortedName)
{
    TempFolder folder;
    for (const char* name : { "b.txt", "C.txt", "a.txt" })
        folder.Write(std::string("tree\\") + name, "x");
    CFileFind finder;
    std::vector<std::string> names;
    BOOL more = finder.FindFile((folder.Path("tree") + "\\*.*").c_str());
    while (more) {
        more = finder.FindNextFile();
        names.push_back(finder.GetFileName());
    }
    EXPECT_EQ((std::vector<std::string> { ".", "..", "a.txt", "b.txt", "C.txt" }), names);
}

TEST(FindConformance, PatternsMatchWithoutCase)
{
    TempFolder folder;
    for (const char* name : { "Setup.EXE", "setup.ini", "readme.txt" })
        folder.Write(std::string("tree\\") + name, "x");
    const std::string root = folder.Path("TREE") + "\\";
    auto names = [&](const std::string& pattern) {
        std::vector<std::string> result;
        for (const auto& [name, found] : FindAll(root + pattern))
            result.push_back(name);
        return result;
    };
    EXPECT_EQ((std::vector<std::string> { "Setup.EXE", "setup.ini" }), names("SETUP.*"));
    EXPECT_EQ((std::vector<std::string> { "readme.txt" }), names("*.TXT"));
    EXPECT_EQ((std::vector<std::string> { "Setup.EXE" }), names("s?tup.exe"));
}

TEST(FindConformance, AnExactNameFindsThatEntryWithItsOwnSpelling)
{
    TempFolder folder;
    folder.Write("Tags\\x.txt", "x");
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(folder.Path("TAGS").c_str()));
    finder.FindNextFile();
    EXPECT_EQ("Tags", finder.GetFileName());
    EXPECT_TRUE(finder.IsDirectory());
    EXPECT_FALSE(finder.IsDots());
}

TEST(FindConformance, ReportsWhyNothingWasFound)
{
    TempFolder folder;
    folder.Write("tree\\file.txt", "x");
    fs::create_directory(folder.Host("empty"));
    CFileFind finder;
    const auto errorOf = [&](const std::string& pattern) {
        SetLastError(0);
        return finder.FindFile(pattern.c_str()) ? 0 : GetLastError();
    };
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, errorOf(folder.Path("tree\\missing.txt")));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, errorOf(folder.Path("tree\\*.dll")));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, errorOf(folder.Path("tree") + "\\"))
        << "a trailing separator names no entry";
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, errorOf(folder.Path("nodir\\*.*")));
    EXPECT_NE(0u, errorOf(folder.Path("empty\\*.txt")));
    EXPECT_EQ(0u, errorOf(folder.Path("empty\\*.*"))) << "an empty folder still holds its dots";
}

} // namespace
