#include "cli/log/JsonLine.h"

#include "cli/log/LogNames.h"

#include "platform/win32.h"

#include <array>
#include <climits>
#include <vector>

namespace {

bool IsAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// What a text becomes when the system cannot convert it: its ASCII kept, every other byte the
// replacement character, so the line stays valid UTF-8.
std::string Replaced(std::string_view text)
{
    std::string out;
    for (const char c : text)
        out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string("\xEF\xBF\xBD");
    return out;
}

// What each byte asks of a JSON string: nothing, an escape, or (from 0x80 up) conversion of the
// text from the code page.
enum : unsigned char { kPlain, kEscape, kNotAscii };
constexpr auto kByteKinds = [] {
    std::array<unsigned char, 256> kinds {};
    for (int c = 0; c < 256; ++c)
        kinds[c] = c >= 0x80 ? kNotAscii : (c < 0x20 || c == '"' || c == '\\') ? kEscape : kPlain;
    return kinds;
}();

unsigned char KindOf(char c)
{
    return kByteKinds[static_cast<unsigned char>(c)];
}

// Appends text (UTF-8) escaped for the inside of a JSON string. DEL and everything from 0x80 up
// need no escape. Runs of plain characters, nearly every text, go in with one append.
void AppendEscaped(std::string& out, std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (KindOf(c) != kEscape)
            continue;
        out.append(text, plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out += hex[(c >> 4) & 0xF];
            out += hex[c & 0xF];
        }
    }
    out.append(text, plain, text.size() - plain);
}

void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    // ASCII is the same in every code page and in UTF-8: a text of ASCII, nearly every text, is
    // escaped in one pass as it is; only a text with other bytes is converted first.
    const std::size_t start = out.size();
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char kind = KindOf(text[i]);
        if (kind == kPlain)
            continue;
        if (kind == kNotAscii) {
            out.resize(start);
            AppendEscaped(out, SystemTextToUtf8(text));
            out += '"';
            return;
        }
        // Paths hold a backslash every few characters: the run before it and its escape go in
        // without a second look at the text.
        out.append(text.data() + plain, i - plain);
        plain = i + 1;
        if (text[i] == '\\')
            out.append("\\\\", 2);
        else
            AppendEscaped(out, text.substr(i, 1));
    }
    out.append(text.data() + plain, text.size() - plain);
    out += '"';
}

// Appends time as UTC in ISO 8601 with milliseconds. Written digit by digit, in place: every log
// line has one, and snprintf or a string of its own costs more than the rest of the line.
void AppendTimestamp(std::string& out, std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(time);
    const auto day = floor<days>(milliseconds);
    const year_month_day date { day };
    const hh_mm_ss clock { milliseconds - day };
    const int year = static_cast<int>(date.year());
    // The clock's time points hold years 1678 to 2262 only, always four digits.
    const std::size_t start = out.size();
    out += "0000-00-00T00:00:00.000Z";
    char* const text = out.data() + start;
    const auto put = [text](std::size_t end, long long value, int digits) {
        for (int i = 1; i <= digits; ++i, value /= 10)
            text[end - i] = static_cast<char>('0' + value % 10);
    };
    put(4, year, 4);
    put(7, static_cast<unsigned>(date.month()), 2);
    put(10, static_cast<unsigned>(date.day()), 2);
    put(13, clock.hours().count(), 2);
    put(16, clock.minutes().count(), 2);
    put(19, clock.seconds().count(), 2);
    put(23, clock.subseconds().count(), 3);
}

} // namespace

std::string SystemTextToUtf8(std::string_view text)
{
    // Every Windows code page keeps ASCII as it is: most texts need no conversion.
    if (IsAscii(text))
        return std::string(text);
    if (text.size() > INT_MAX / 4)
        return Replaced(text);

    const int size = static_cast<int>(text.size());
    const int wideSize = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (wideSize <= 0)
        return Replaced(text);
    std::vector<WCHAR> wide(wideSize);
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), wideSize) != wideSize)
        return Replaced(text);
    const int utf8Size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    if (utf8Size <= 0)
        return Replaced(text);
    std::string utf8(utf8Size, '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, utf8.data(), utf8Size, nullptr, nullptr)
        != utf8Size)
        return Replaced(text);
    return utf8;
}

std::optional<std::string> Utf8ToSystemText(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    if (utf8.size() > INT_MAX / 2)
        return std::nullopt;
    const int size = static_cast<int>(utf8.size());
    const int wideSize = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (wideSize <= 0)
        return std::nullopt;
    std::vector<WCHAR> wide(static_cast<std::size_t>(wideSize));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), wideSize)
        != wideSize)
        return std::nullopt;
    BOOL lost = FALSE;
    const int textSize = WideCharToMultiByte(
        CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize, nullptr, 0, nullptr, &lost);
    if (textSize <= 0 || lost)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(textSize), '\0');
    if (WideCharToMultiByte(
            CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize, text.data(), textSize, nullptr, &lost)
            != textSize
        || lost)
        return std::nullopt;
    return text;
}

std::string JsonString(std::string_view text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

std::string UtcTimestamp(std::chrono::system_clock::time_point time)
{
    std::string text;
    AppendTimestamp(text, time);
    return text;
}

std::string UtcTimestamp()
{
    return UtcTimestamp(std::chrono::system_clock::now());
}

std::optional<std::chrono::system_clock::time_point> ParseUtcTimestamp(std::string_view text)
{
    using namespace std::chrono;
    constexpr std::string_view form = "0000-00-00T00:00:00.000Z";
    if (text.size() != form.size())
        return std::nullopt;
    for (std::size_t i = 0; i < form.size(); ++i)
        if (form[i] == '0' ? text[i] < '0' || text[i] > '9' : text[i] != form[i])
            return std::nullopt;
    const auto number = [text](std::size_t at, std::size_t digits) {
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    const year_month_day date { year { number(0, 4) }, month { static_cast<unsigned>(number(5, 2)) },
        day { static_cast<unsigned>(number(8, 2)) } };
    const int hours = number(11, 2);
    const int minutes = number(14, 2);
    const int seconds = number(17, 2);
    // Only the years whose every instant the clock holds (1678 to 2262 for nanoseconds).
    if (!date.ok() || date.year() <= year { 1678 } || date.year() >= year { 2262 } || hours > 23
        || minutes > 59 || seconds > 59)
        return std::nullopt;
    return system_clock::time_point { sys_days { date } } + std::chrono::hours { hours }
    + std::chrono::minutes { minutes } + std::chrono::seconds { seconds } + milliseconds { number(20, 3) };
}

JsonLine JsonLine::Event(std::string_view name)
{
    return Event(name, std::chrono::system_clock::now());
}

JsonLine JsonLine::Event(std::string_view name, std::chrono::system_clock::time_point time)
{
    JsonLine line;
    // Room for a file's line with its digest, so it is not moved as it grows.
    line.m_text.reserve(512);
    line.Add(logname::kEvent, name);
    line.AddKey(logname::kTime);
    line.m_text += '"';
    AppendTimestamp(line.m_text, time);
    line.m_text += '"';
    return line;
}

void JsonLine::AddKey(std::string_view key)
{
    if (m_text.size() > 1)
        m_text += ',';
    AppendJsonString(m_text, key);
    m_text += ':';
}

JsonLine& JsonLine::Add(std::string_view key, std::string_view text)
{
    AddKey(key);
    AppendJsonString(m_text, text);
    return *this;
}

JsonLine& JsonLine::Add(std::string_view key, bool value)
{
    AddKey(key);
    m_text += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::AddSigned(std::string_view key, std::int64_t number)
{
    AddKey(key);
    m_text += std::to_string(number);
    return *this;
}

JsonLine& JsonLine::AddUnsigned(std::string_view key, std::uint64_t number)
{
    AddKey(key);
    m_text += std::to_string(number);
    return *this;
}

JsonLine& JsonLine::AddNull(std::string_view key)
{
    AddKey(key);
    m_text += "null";
    return *this;
}

JsonLine& JsonLine::AddObject(std::string_view key, const JsonLine& object)
{
    AddKey(key);
    m_text += object.m_text;
    m_text += '}';
    return *this;
}

JsonLine& JsonLine::AddRaw(std::string_view key, std::string_view value)
{
    AddKey(key);
    m_text += value;
    return *this;
}
