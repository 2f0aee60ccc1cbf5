// What undoing an install calls on the POSIX side: deleting files, folders and keys with Windows'
// refusals, and the code page conversions that read a log back.
#include "RegistryHelpers.h"
#include "TempFolder.h"

#include "platform/posix/registry/RegistryStore.h"
#include "platform/UniqueHandle.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The Win32 error of a call that must fail.
template<class Call> DWORD ErrorOf(Call call)
{
    SetLastError(0);
    EXPECT_FALSE(call());
    return GetLastError();
}

TEST(PosixDeleteFile, RemovesFilesMatchedWithoutCase)
{
    TempFolder folder;
    folder.Write("a.txt", "x");
    folder.Write("Sub\\Mixed.TXT", "x");
    folder.Write("Sub\\other.txt", "x");
    EXPECT_TRUE(DeleteFileA(folder.Path("a.txt").c_str()));
    EXPECT_FALSE(fs::exists(folder.Host("a.txt")));
    EXPECT_TRUE(DeleteFileA(folder.Path("SUB\\mixed.txt").c_str()));
    EXPECT_FALSE(fs::exists(folder.Host("Sub\\Mixed.TXT")));
    EXPECT_TRUE(fs::exists(folder.Host("Sub\\other.txt")));
}

TEST(PosixDeleteFile, RefusesReadOnlyFilesAndFoldersEvenToRoot)
{
    TempFolder folder;
    folder.Write("locked.txt", "kept");
    fs::permissions(folder.Host("locked.txt"), fs::perms::owner_read | fs::perms::group_read);
    fs::create_directory(folder.Host("Folder"));

    EXPECT_EQ(ERROR_ACCESS_DENIED, ErrorOf([&] { return DeleteFileA(folder.Path("locked.txt").c_str()); }));
    EXPECT_EQ("kept", folder.Read("locked.txt"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, ErrorOf([&] { return DeleteFileA(folder.Path("FOLDER").c_str()); }));
    EXPECT_TRUE(fs::is_directory(folder.Host("Folder")));

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ErrorOf([&] { return DeleteFileA(folder.Path("missing.txt").c_str()); }));
    EXPECT_EQ(
        ERROR_PATH_NOT_FOUND, ErrorOf([&] { return DeleteFileA(folder.Path("Missing\\a.txt").c_str()); }));
}

TEST(PosixDeleteFile, RemovesALinkAndNeverItsTarget)
{
    TempFolder folder;
    folder.Write("target.txt", "kept");
    fs::create_symlink(folder.Host("target.txt"), folder.Host("link"));
    fs::create_symlink(folder.Host("missing"), folder.Host("dangling"));

    EXPECT_TRUE(DeleteFileA(folder.Path("link").c_str()));
    EXPECT_FALSE(fs::is_symlink(folder.Host("link")));
    EXPECT_EQ("kept", folder.Read("target.txt"));
    EXPECT_TRUE(DeleteFileA(folder.Path("dangling").c_str()));
    EXPECT_FALSE(fs::is_symlink(folder.Host("dangling")));
}

TEST(PosixRemoveDirectory, RemovesOnlyEmptyFolders)
{
    TempFolder folder;
    fs::create_directories(folder.Host("Empty"));
    fs::create_directories(folder.Host("Case"));
    folder.Write("Full\\a.txt", "kept");
    folder.Write("file.txt", "kept");

    EXPECT_TRUE(RemoveDirectoryA(folder.Path("Empty").c_str()));
    EXPECT_FALSE(fs::exists(folder.Host("Empty")));
    EXPECT_TRUE(RemoveDirectoryA(folder.Path("CASE\\").c_str()));
    EXPECT_FALSE(fs::exists(folder.Host("Case")));

    EXPECT_EQ(ERROR_DIR_NOT_EMPTY, ErrorOf([&] { return RemoveDirectoryA(folder.Path("Full").c_str()); }));
    EXPECT_EQ("kept", folder.Read("Full\\a.txt"));
    EXPECT_EQ(ERROR_DIRECTORY, ErrorOf([&] { return RemoveDirectoryA(folder.Path("file.txt").c_str()); }));
    EXPECT_EQ("kept", folder.Read("file.txt"));
    EXPECT_EQ(
        ERROR_FILE_NOT_FOUND, ErrorOf([&] { return RemoveDirectoryA(folder.Path("Missing").c_str()); }));
    EXPECT_EQ(
        ERROR_PATH_NOT_FOUND, ErrorOf([&] { return RemoveDirectoryA(folder.Path("Missing\\Sub").c_str()); }));
}

// A folder link is a directory to Windows: RemoveDirectory takes the link away, DeleteFile refuses
// it, and neither touches what it points at.
TEST(PosixRemoveDirectory, RemovesAFolderLinkAndNeverItsTarget)
{
    TempFolder folder;
    folder.Write("Target\\a.txt", "kept");
    fs::create_directory_symlink(folder.Host("Target"), folder.Host("Link"));

    EXPECT_EQ(ERROR_ACCESS_DENIED, ErrorOf([&] { return DeleteFileA(folder.Path("Link").c_str()); }));
    EXPECT_TRUE(fs::is_symlink(folder.Host("Link")));
    EXPECT_TRUE(RemoveDirectoryA(folder.Path("Link").c_str()));
    EXPECT_FALSE(fs::is_symlink(folder.Host("Link")));
    EXPECT_EQ("kept", folder.Read("Target\\a.txt"));
}

class PosixDeleteKey : public RegistryTest { };

TEST_F(PosixDeleteKey, RemovesAKeyWithItsValuesButNotOneWithSubkeys)
{
    SeedString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Gone", "a", "1");
    SeedString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Gone", "b", "2");
    SeedKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Parent\\Child");

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "software\\VENDOR\\gone"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Gone"));
    SeedKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Gone");
    EXPECT_EQ(std::nullopt, ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Gone", "a"))
        << "the values went with the key";

    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Parent"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Parent\\Child"));

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Missing"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing\\Key"));
    EXPECT_NE(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor"));
}

TEST_F(PosixDeleteKey, NamesAreRelativeToTheHandleAndItsHandlesSeeTheKeyGone)
{
    SeedString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Child", "a", "1");
    UniqueKey parent;
    ASSERT_EQ(
        ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", 0, KEY_READ, parent.put()));
    UniqueKey child;
    ASSERT_EQ(ERROR_SUCCESS,
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Child", 0, KEY_ALL_ACCESS, child.put()));

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(parent.get(), "Child"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Child"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor"));
    EXPECT_EQ(ERROR_KEY_DELETED,
        RegSetValueExA(child.get(), "b", 0, REG_SZ, reinterpret_cast<const BYTE*>("2"), 2));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Child")) << "nothing brought it back";
}

TEST_F(PosixDeleteKey, AProtectedKeyOrStoreKeepsTheKey)
{
    SeedString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", "a", "1");
    SeedKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Free");
    WriteProtectKey("SOFTWARE\\Locked");
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked"));
    EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", "a"));

    // A store this user may only read, as a read-only .reg file is.
    class ReadOnlyStore : public posix::MemoryRegistryStore {
    public:
        LONG Write(const std::function<LONG(posix::RegistryTree&)>&) override { return ERROR_ACCESS_DENIED; }
        bool MayWrite() const override { return false; }
    };
    auto store = std::make_unique<ReadOnlyStore>();
    store->Tree().Create({ "HKEY_LOCAL_MACHINE", "SOFTWARE", "Free" });
    posix::SetRegistryStore(std::move(store));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Free"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Free"));
}

// ---- Code pages

std::string Hex(const std::vector<WCHAR>& units)
{
    std::string out;
    char unit[8];
    for (const WCHAR u : units) {
        std::snprintf(unit, sizeof unit, "%04X ", static_cast<unsigned>(u));
        out += unit;
    }
    return out;
}

// UTF-8 to UTF-16, strict or not: the units, or none and the error.
struct Wide {
    std::vector<WCHAR> units;
    DWORD error = 0;
    bool operator==(const Wide&) const = default;
};

void PrintTo(const Wide& wide, std::ostream* out)
{
    *out << Hex(wide.units) << "error " << wide.error;
}

Wide FromUtf8(const std::string& text, DWORD flags)
{
    SetLastError(0);
    const int size
        = MultiByteToWideChar(CP_UTF8, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size == 0)
        return { {}, GetLastError() };
    std::vector<WCHAR> units(static_cast<std::size_t>(size));
    const int written = MultiByteToWideChar(CP_UTF8, flags, text.data(), static_cast<int>(text.size()),
        units.data(), static_cast<int>(units.size()));
    EXPECT_EQ(size, written) << text;
    return { units, 0 };
}

TEST(PosixCodePages, Utf8BecomesUtf16)
{
    const struct {
        const char* utf8;
        std::vector<WCHAR> wide;
    } cases[] = {
        { "A\x7F", { 0x41, 0x7F } },
        { "\xC2\x80\xC3\xA9\xDF\xBF", { 0x80, 0xE9, 0x7FF } },
        { "\xE0\xA0\x80\xE2\x82\xAC\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF",
            { 0x800, 0x20AC, 0xD7FF, 0xE000, 0xFFFF } },
        { "\xF0\x90\x80\x80", { 0xD800, 0xDC00 } },
        { "\xF0\x9F\x98\x80", { 0xD83D, 0xDE00 } },
        { "\xF4\x8F\xBF\xBF", { 0xDBFF, 0xDFFF } },
    };
    for (const auto& c : cases)
        for (const DWORD flags : { DWORD { 0 }, MB_ERR_INVALID_CHARS }) {
            const Wide got = FromUtf8(c.utf8, flags);
            EXPECT_EQ(0u, got.error) << c.utf8;
            EXPECT_EQ(Hex(c.wide), Hex(got.units)) << c.utf8;
        }

    // -1: up to the zero byte, which is converted too.
    WCHAR wide[4] = { 1, 1, 1, 1 };
    EXPECT_EQ(3, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC3\xA9x", -1, wide, 4));
    EXPECT_EQ(Hex({ 0xE9, 'x', 0, 1 }), Hex({ wide[0], wide[1], wide[2], wide[3] }));
}

TEST(PosixCodePages, IllFormedUtf8FailsWhenStrictAndIsReplacedOtherwise)
{
    for (const std::string bad : {
             "\xC0\x80", // overlong
             "\xC1\xBF",
             "\xE0\x9F\xBF",
             "\xF0\x8F\xBF\xBF",
             "\x80", // a lone continuation byte
             "\xBF\xBF",
             "\xC3", // cut short
             "\xE2\x82",
             "\xF0\x9F\x98",
             "\xED\xA0\x80", // an encoded surrogate
             "\xED\xBF\xBF",
             "\xF4\x90\x80\x80", // beyond U+10FFFF
             "\xF5\x80\x80\x80",
             "\xFE",
             "\xFF",
         }) {
        EXPECT_EQ(
            (Wide { {}, ERROR_NO_UNICODE_TRANSLATION }), FromUtf8("a" + bad + "z", MB_ERR_INVALID_CHARS))
            << bad;
        // Lenient: the good characters on both sides stay, the bad bytes become U+FFFD.
        const std::vector<WCHAR> units = FromUtf8("a" + bad + "\xC3\xA9z", 0).units;
        ASSERT_GE(units.size(), 4u) << bad;
        EXPECT_EQ('a', units.front()) << bad;
        EXPECT_EQ(Hex({ 0xE9, 'z' }), Hex(std::vector<WCHAR>(units.end() - 2, units.end()))) << bad;
        for (std::size_t i = 1; i + 2 < units.size(); ++i)
            EXPECT_EQ(0xFFFD, units[i]) << bad;
    }
    EXPECT_EQ(Hex({ 'a', 0xFFFD, 'z' }), Hex(FromUtf8("a\x80z", 0).units));
}

TEST(PosixCodePages, Utf8IntoTooSmallABufferFails)
{
    WCHAR wide[3] = { 1, 1, 1 };
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, 0, "\xC3\xA9\xE2\x82\xAC", 5, wide, 1));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_EQ(1, wide[1]) << "nothing is written past the buffer";
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xF0\x9F\x98\x80", 4, wide, 1))
        << "half a surrogate pair does not fit";
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_EQ(1, wide[1]);
    EXPECT_EQ(2, MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xF0\x9F\x98\x80", 4, wide, 2));
}

// UTF-16 to the system code page: the text, whether the default was used, or the error.
struct Narrow {
    std::string text;
    BOOL usedDefault = FALSE;
    DWORD error = 0;
    bool operator==(const Narrow&) const = default;
};

void PrintTo(const Narrow& narrow, std::ostream* out)
{
    *out << ::testing::PrintToString(narrow.text) << " used default " << narrow.usedDefault << " error "
         << narrow.error;
}

Narrow To1252(const std::vector<WCHAR>& wide, DWORD flags, const char* defaultChar = nullptr)
{
    SetLastError(0);
    BOOL used = TRUE;
    const int size = WideCharToMultiByte(
        CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, defaultChar, &used);
    if (size == 0)
        return { {}, used, GetLastError() };
    std::string text(static_cast<std::size_t>(size), '\0');
    used = TRUE;
    EXPECT_EQ(size,
        WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), text.data(), size,
            defaultChar, &used));
    return { text, used, 0 };
}

TEST(PosixCodePages, Utf16BecomesWindows1252)
{
    // Windows-1252's 0x80-0x9F, from the code page's published table.
    const std::pair<WCHAR, unsigned char> high[] = {
        { 0x20AC, 0x80 },
        { 0x201A, 0x82 },
        { 0x0192, 0x83 },
        { 0x201E, 0x84 },
        { 0x2026, 0x85 },
        { 0x2020, 0x86 },
        { 0x2021, 0x87 },
        { 0x02C6, 0x88 },
        { 0x2030, 0x89 },
        { 0x0160, 0x8A },
        { 0x2039, 0x8B },
        { 0x0152, 0x8C },
        { 0x017D, 0x8E },
        { 0x2018, 0x91 },
        { 0x2019, 0x92 },
        { 0x201C, 0x93 },
        { 0x201D, 0x94 },
        { 0x2022, 0x95 },
        { 0x2013, 0x96 },
        { 0x2014, 0x97 },
        { 0x02DC, 0x98 },
        { 0x2122, 0x99 },
        { 0x0161, 0x9A },
        { 0x203A, 0x9B },
        { 0x0153, 0x9C },
        { 0x017E, 0x9E },
        { 0x0178, 0x9F },
        // The five bytes the code page leaves undefined, kept as the C1 controls Windows reads them as.
        { 0x0081, 0x81 },
        { 0x008D, 0x8D },
        { 0x008F, 0x8F },
        { 0x0090, 0x90 },
        { 0x009D, 0x9D },
    };
    for (const auto& [unit, byte] : high) {
        for (const DWORD flags : { DWORD { 0 }, WC_NO_BEST_FIT_CHARS })
            EXPECT_EQ((Narrow { std::string(1, static_cast<char>(byte)), FALSE, 0 }), To1252({ unit }, flags))
                << std::hex << unsigned { unit };
        const char text[] = { static_cast<char>(byte) };
        WCHAR back = 0;
        EXPECT_EQ(1, MultiByteToWideChar(CP_ACP, 0, text, 1, &back, 1));
        EXPECT_EQ(Hex({ unit }), Hex({ back }));
    }
    std::vector<WCHAR> low;
    std::string bytes;
    for (unsigned unit = 1; unit < 0x100; ++unit)
        if (unit < 0x80 || unit >= 0xA0) {
            low.push_back(static_cast<WCHAR>(unit));
            bytes += static_cast<char>(unit);
        }
    EXPECT_EQ((Narrow { bytes, FALSE, 0 }), To1252(low, WC_NO_BEST_FIT_CHARS));
}

TEST(PosixCodePages, WhatWindows1252LacksBecomesTheDefaultCharacter)
{
    EXPECT_EQ((Narrow { "a?b", TRUE, 0 }), To1252({ 'a', 0x4E2D, 'b' }, WC_NO_BEST_FIT_CHARS));
    EXPECT_EQ((Narrow { "a#b", TRUE, 0 }), To1252({ 'a', 0x4E2D, 'b' }, 0, "#"));
    // No look-alikes: not "A" for A with a macron, not "-" for a hyphen.
    EXPECT_EQ((Narrow { "??", TRUE, 0 }), To1252({ 0x0100, 0x2010 }, WC_NO_BEST_FIT_CHARS));
    EXPECT_EQ((Narrow { "?", TRUE, 0 }), To1252({ 0x0080 }, WC_NO_BEST_FIT_CHARS))
        << "a C1 control that is not one of the five";
    EXPECT_EQ((Narrow { "x?y", TRUE, 0 }), To1252({ 'x', 0xD83D, 0xDE00, 'y' }, WC_NO_BEST_FIT_CHARS))
        << "one character, one default";
    EXPECT_EQ((Narrow { "??", TRUE, 0 }), To1252({ 0xDE00, 0xD83D }, WC_NO_BEST_FIT_CHARS));

    char text[3] = { 1, 1, 1 };
    SetLastError(0);
    const WCHAR wide[] = { 0xE9, 0x20AC };
    EXPECT_EQ(0, WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, 2, text, 1, nullptr, nullptr));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_EQ(1, text[1]) << "nothing is written past the buffer";
}

} // namespace
