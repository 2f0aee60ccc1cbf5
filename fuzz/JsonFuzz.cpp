// Arbitrary bytes as a text of the system code page, written into a log line: the line must be
// valid JSON (string syntax, well-formed UTF-8, no raw control characters) and must read back as
// exactly the Unicode characters the system code page gives those bytes.
#include "cli/log/JsonLine.h"
#include "platform/win32.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// One character of well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool ReadUtf8(std::string_view text, std::size_t& pos, char32_t& codePoint)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        ++pos;
        return true;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return false;
    }
    if (pos + length > text.size())
        return false;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return false;
        codePoint = (codePoint << 6) | (byte(pos + i) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000))
        return false;
    pos += length;
    return true;
}

bool ReadHex4(std::string_view text, std::size_t& pos, char32_t& unit)
{
    if (pos + 4 > text.size())
        return false;
    unit = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = text[pos + i];
        const int digit = c >= '0' && c <= '9' ? c - '0'
            : c >= 'a' && c <= 'f'             ? c - 'a' + 10
            : c >= 'A' && c <= 'F'             ? c - 'A' + 10
                                               : -1;
        if (digit < 0)
            return false;
        unit = unit * 16 + static_cast<char32_t>(digit);
    }
    pos += 4;
    return true;
}

// A JSON string at pos, decoded; pos ends past its closing quote.
bool ReadString(std::string_view text, std::size_t& pos, std::u32string& value)
{
    if (pos >= text.size() || text[pos] != '"')
        return false;
    ++pos;
    value.clear();
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
        if (c != '\\') {
            char32_t codePoint = 0;
            if (!ReadUtf8(text, pos, codePoint))
                return false;
            value += codePoint;
            continue;
        }
        if (++pos >= text.size())
            return false;
        const char escaped = text[pos++];
        const std::string_view simple = "\"\\/bfnrt";
        const std::u32string_view meaning = U"\"\\/\b\f\n\r\t";
        if (const std::size_t at = simple.find(escaped); at != std::string_view::npos) {
            value += meaning[at];
            continue;
        }
        char32_t unit = 0;
        if (escaped != 'u' || !ReadHex4(text, pos, unit))
            return false;
        if (unit >= 0xDC00 && unit < 0xE000)
            return false;
        if (unit >= 0xD800 && unit < 0xDC00) {
            char32_t low = 0;
            if (text.substr(pos, 2) != "\\u" || (pos += 2, !ReadHex4(text, pos, low)) || low < 0xDC00
                || low >= 0xE000)
                return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        value += unit;
    }
    return false;
}

// An object whose members are all strings, in their order; nothing may follow it.
bool ReadObject(std::string_view text, std::vector<std::pair<std::u32string, std::u32string>>& members)
{
    std::size_t pos = 0;
    if (text.empty() || text[pos++] != '{')
        return false;
    if (pos < text.size() && text[pos] == '}')
        return pos + 1 == text.size();
    for (;;) {
        std::pair<std::u32string, std::u32string> member;
        if (!ReadString(text, pos, member.first) || pos >= text.size() || text[pos++] != ':'
            || !ReadString(text, pos, member.second) || pos >= text.size())
            return false;
        members.push_back(std::move(member));
        const char next = text[pos++];
        if (next == '}')
            return pos == text.size();
        if (next != ',')
            return false;
    }
}

// What the system says the bytes are; Windows-1252 has no character outside the BMP.
std::u32string SystemCharacters(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    std::vector<WCHAR> wide(text.size());
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size) != size)
        std::abort();
    return std::u32string(wide.begin(), wide.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::u32string expected = SystemCharacters(text);

    const std::string quoted = JsonString(text);
    std::size_t pos = 0;
    std::u32string value;
    if (!ReadString(quoted, pos, value) || pos != quoted.size() || value != expected)
        std::abort();

    const std::string line = JsonLine().Add("text", text).Add(text, "key").Text();
    std::vector<std::pair<std::u32string, std::u32string>> members;
    if (!ReadObject(line, members) || members.size() != 2 || members[0].first != U"text"
        || members[0].second != expected || members[1].first != expected || members[1].second != U"key")
        std::abort();
    return 0;
}
