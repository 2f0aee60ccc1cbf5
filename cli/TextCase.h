// Names compared as Windows compares them: ASCII letters without regard to case, every other byte
// as it is (answer keys, registry names, computer names, the keywords of install.conf). The C
// library's toupper is no substitute: it follows the C locale, and under a Latin-1 one it folds
// 0xE9 ('é' in Windows-1252 too) to 0xC9.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

constexpr char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string ToUpperAscii(std::string_view text)
{
    std::string upper(text);
    std::ranges::transform(upper, upper.begin(), AsciiUpper);
    return upper;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}
