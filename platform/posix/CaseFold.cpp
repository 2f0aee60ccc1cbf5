#include "platform/posix/CaseFold.h"

#include <array>

namespace posix {

namespace {

constexpr unsigned char Folded(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // Latin-1 capitals, except the multiplication sign
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A:
        return 0x9A; // S caron
    case 0x8C:
        return 0x9C; // OE
    case 0x8E:
        return 0x9E; // Z caron
    case 0x9F:
        return 0xFF; // Y diaeresis
    default:
        return c;
    }
}

// A table, built at compile time: the comparisons run for every key of a registry being loaded.
constexpr std::array<unsigned char, 256> kFolded = [] {
    std::array<unsigned char, 256> table {};
    for (int c = 0; c < 256; ++c)
        table[c] = Folded(static_cast<unsigned char>(c));
    return table;
}();

} // namespace

unsigned char FoldCase(unsigned char c)
{
    return kFolded[c];
}

bool EqualsFolded(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]
            && kFolded[static_cast<unsigned char>(a[i])] != kFolded[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

int CompareFolded(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = kFolded[static_cast<unsigned char>(a[i])];
        const unsigned char y = kFolded[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace posix
