// Names compared as Windows compares them: ASCII letters without regard to case, every other byte
// as it is (answer keys, registry names, computer names).
#pragma once

#include <algorithm>
#include <string_view>

inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}
