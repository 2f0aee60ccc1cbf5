#include "cli/log/LogSeal.h"

#include <algorithm>

namespace {

constexpr std::string_view kField = ",\"mac\":\"";
constexpr std::size_t kHexDigits = 64;
// What the code adds to a line: the field, its value and the value's quote.
constexpr std::size_t kSealSize = kField.size() + kHexDigits + 1;
static_assert(kSealSize == kSealSuffixSize);

const char kHex[] = "0123456789abcdef";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The code of body chained after previous.
Sha256Digest Code(Hmac& hmac, const Sha256Digest& previous, std::string_view body)
{
    hmac.Update(std::string_view(reinterpret_cast<const char*>(previous.data()), previous.size()));
    hmac.Update(body);
    return hmac.Finish();
}

// Where the code's field starts in a sealed line ("...,"mac":"<64 hex>"}"), or npos; the digest
// read from it into code.
std::size_t FindSeal(std::string_view line, Sha256Digest& code)
{
    if (line.size() < kSealSize + 2 || line.back() != '}')
        return std::string_view::npos;
    const std::size_t start = line.size() - 1 - kSealSize;
    if (line.substr(start, kField.size()) != kField || line[line.size() - 2] != '"')
        return std::string_view::npos;
    const std::string_view hex = line.substr(start + kField.size(), kHexDigits);
    for (std::size_t i = 0; i < code.size(); ++i) {
        const int high = HexValue(hex[2 * i]);
        const int low = HexValue(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::string_view::npos;
        code[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return start;
}

} // namespace

LineSealer::LineSealer(std::string_view key)
    : m_hmac(key)
{
    std::copy(kField.begin(), kField.end(), m_suffix.begin());
    m_suffix.back() = '"';
}

std::string_view LineSealer::Suffix(std::string_view body)
{
    // The body the code covers is the object without its closing brace, so a line's code cannot be
    // moved onto the same line with fields of its own added.
    m_previous = Code(m_hmac, m_previous, body);
    char* hex = m_suffix.data() + kField.size();
    for (const unsigned char byte : m_previous) {
        *hex++ = kHex[byte >> 4];
        *hex++ = kHex[byte & 15];
    }
    return { m_suffix.data(), m_suffix.size() };
}

void LineSealer::Seal(std::string& line)
{
    if (line.empty() || line.back() != '}')
        return; // not an object: nothing the program writes
    line.pop_back();
    line.append(Suffix(line));
    line.push_back('}');
}

std::string_view Unsealed(std::string_view line)
{
    Sha256Digest code;
    const std::size_t start = FindSeal(line, code);
    return start == std::string_view::npos ? line : line.substr(0, start);
}

std::string_view WithoutByteOrderMark(std::string_view text)
{
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return text.starts_with(kMark) ? text.substr(kMark.size()) : text;
}

SealCheck CheckSeals(std::string_view text, std::string_view key)
{
    text = WithoutByteOrderMark(text);
    Hmac hmac(key);
    Sha256Digest previous {};
    SealCheck check;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::size_t number = check.lines + 1;
        Sha256Digest code;
        const std::size_t seal = FindSeal(line, code);
        if (seal == std::string_view::npos) {
            check = { false, check.lines, number, "the line carries no code of this program" };
            return check;
        }
        const Sha256Digest expected = Code(hmac, previous, line.substr(0, seal));
        unsigned char difference = 0;
        for (std::size_t i = 0; i < code.size(); ++i)
            difference |= static_cast<unsigned char>(code[i] ^ expected[i]);
        if (difference != 0) {
            check = { false, check.lines, number,
                number == 1 ? "the line's code does not match: the line was changed, or the log was "
                              "written on another machine"
                            : "the line's code does not match: the line was changed, or lines were "
                              "inserted, removed or moved before it" };
            return check;
        }
        previous = code;
        check.lines = number;
    }
    return check;
}
