// Texts in the system code page (Windows-1252 here and in a fresh English Wine prefix) converted to
// UTF-16 and on to UTF-8, as the log does.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct HighByte {
    unsigned char byte;
    unsigned codeUnit;
    const char* utf8;
};

// 0x80-0x9F, where Windows-1252 differs from Latin-1. The undefined bytes stay C1 controls.
const HighByte windows1252High[] = {
    { 0x80, 0x20AC, "\xE2\x82\xAC" },
    { 0x81, 0x0081, "\xC2\x81" },
    { 0x82, 0x201A, "\xE2\x80\x9A" },
    { 0x83, 0x0192, "\xC6\x92" },
    { 0x84, 0x201E, "\xE2\x80\x9E" },
    { 0x85, 0x2026, "\xE2\x80\xA6" },
    { 0x86, 0x2020, "\xE2\x80\xA0" },
    { 0x87, 0x2021, "\xE2\x80\xA1" },
    { 0x88, 0x02C6, "\xCB\x86" },
    { 0x89, 0x2030, "\xE2\x80\xB0" },
    { 0x8A, 0x0160, "\xC5\xA0" },
    { 0x8B, 0x2039, "\xE2\x80\xB9" },
    { 0x8C, 0x0152, "\xC5\x92" },
    { 0x8D, 0x008D, "\xC2\x8D" },
    { 0x8E, 0x017D, "\xC5\xBD" },
    { 0x8F, 0x008F, "\xC2\x8F" },
    { 0x90, 0x0090, "\xC2\x90" },
    { 0x91, 0x2018, "\xE2\x80\x98" },
    { 0x92, 0x2019, "\xE2\x80\x99" },
    { 0x93, 0x201C, "\xE2\x80\x9C" },
    { 0x94, 0x201D, "\xE2\x80\x9D" },
    { 0x95, 0x2022, "\xE2\x80\xA2" },
    { 0x96, 0x2013, "\xE2\x80\x93" },
    { 0x97, 0x2014, "\xE2\x80\x94" },
    { 0x98, 0x02DC, "\xCB\x9C" },
    { 0x99, 0x2122, "\xE2\x84\xA2" },
    { 0x9A, 0x0161, "\xC5\xA1" },
    { 0x9B, 0x203A, "\xE2\x80\xBA" },
    { 0x9C, 0x0153, "\xC5\x93" },
    { 0x9D, 0x009D, "\xC2\x9D" },
    { 0x9E, 0x017E, "\xC5\xBE" },
    { 0x9F, 0x0178, "\xC5\xB8" },
};

struct Expected {
    unsigned codeUnit;
    std::string utf8;
};

// Every other byte is the Unicode character of the same number.
Expected ExpectedFor(unsigned char byte)
{
    for (const HighByte& high : windows1252High)
        if (high.byte == byte)
            return { high.codeUnit, high.utf8 };
    if (byte < 0x80)
        return { byte, std::string(1, static_cast<char>(byte)) };
    return { byte, { static_cast<char>(0xC0 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F)) } };
}

std::string ToUtf8(const std::vector<WCHAR>& wide)
{
    const int size = WideCharToMultiByte(
        CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size, '\0');
    EXPECT_EQ(size,
        WideCharToMultiByte(
            CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr, nullptr));
    return text;
}

TEST(CodePageConformance, EveryByteOfWindows1252ReachesUtf8)
{
    const UINT codePages[] = { CP_ACP, 1252 };
    for (const UINT codePage : codePages) {
        std::string all;
        std::string expectedAll;
        for (unsigned value = 0; value < 256; ++value) {
            const char byte = static_cast<char>(value);
            const Expected expected = ExpectedFor(static_cast<unsigned char>(value));
            SCOPED_TRACE(testing::Message() << "code page " << codePage << ", byte 0x" << std::hex << value);
            std::vector<WCHAR> wide(2, 0xFFFF);
            ASSERT_EQ(1, MultiByteToWideChar(codePage, 0, &byte, 1, wide.data(), 2));
            EXPECT_EQ(expected.codeUnit, static_cast<unsigned>(wide[0]));
            wide.resize(1);
            EXPECT_EQ(expected.utf8, ToUtf8(wide));
            all += byte;
            expectedAll += expected.utf8;
        }
        // All at once, through the size queries.
        ASSERT_EQ(256, MultiByteToWideChar(codePage, 0, all.data(), 256, nullptr, 0));
        std::vector<WCHAR> wide(256);
        ASSERT_EQ(256, MultiByteToWideChar(codePage, 0, all.data(), 256, wide.data(), 256));
        EXPECT_EQ(expectedAll, ToUtf8(wide));
    }
}

TEST(CodePageConformance, MultiByteToWideCharFollowsTheBufferRules)
{
    const char text[] = "caf\xE9";
    WCHAR wide[8] = {};
    // -1 takes the text up to its zero byte and converts that too.
    EXPECT_EQ(5, MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0));
    EXPECT_EQ(5, MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 8));
    EXPECT_EQ(0xE9u, static_cast<unsigned>(wide[3]));
    EXPECT_EQ(0u, static_cast<unsigned>(wide[4]));
    // A counted text may hold zero bytes, which are converted like any other.
    EXPECT_EQ(3, MultiByteToWideChar(CP_ACP, 0, "a\0b", 3, wide, 8));
    EXPECT_EQ(0u, static_cast<unsigned>(wide[1]));
    EXPECT_EQ(static_cast<unsigned>('b'), static_cast<unsigned>(wide[2]));

    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, text, 4, wide, 3));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, text, 0, wide, 8));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    SetLastError(0);
    EXPECT_EQ(0, MultiByteToWideChar(CP_ACP, 0, nullptr, 4, wide, 8));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
}

TEST(CodePageConformance, WideCharToMultiByteWritesUtf8WithTheBufferRules)
{
    // e acute, euro sign, U+1F600 as a surrogate pair, and a zero.
    const WCHAR text[] = { 0xE9, 0x20AC, 0xD83D, 0xDE00, 0 };
    char out[16] = {};
    EXPECT_EQ(9, WideCharToMultiByte(CP_UTF8, 0, text, 4, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(10, WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr));
    ASSERT_EQ(10, WideCharToMultiByte(CP_UTF8, 0, text, -1, out, 16, nullptr, nullptr));
    EXPECT_EQ(std::string("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 10), std::string(out, 10));

    SetLastError(0);
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF8, 0, text, 4, out, 8, nullptr, nullptr));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
}

TEST(CodePageConformance, ASurrogateWithoutItsPartnerBecomesTheReplacementCharacter)
{
    const WCHAR lone[] = { 'a', 0xD800, 'b', 0xDC00 };
    char out[16] = {};
    ASSERT_EQ(8, WideCharToMultiByte(CP_UTF8, 0, lone, 4, out, 16, nullptr, nullptr));
    EXPECT_EQ("a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD",
        std::string(out, 8));
}

} // namespace
