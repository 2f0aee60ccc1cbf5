#include "config/ConfigParser.h"

#include "platform/CFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Literal names only: with the length fixed at compile time the compare is inlined, which matters
// because every tag tries several names.
template<std::size_t N> bool occursAt(std::string_view text, std::size_t pos, const char (&name)[N])
{
    constexpr std::size_t length = N - 1;
    return pos <= text.size() && text.size() - pos >= length
        && std::memcmp(text.data() + pos, name, length) == 0;
}

// The value of a segment whose first '=' is at e and first '>' at g.
std::string_view valueOf(std::string_view segment, std::size_t e, std::size_t g)
{
    // The unsigned wrap-around is part of the format: without '=' the start wraps to 1, and a
    // negative count becomes "the rest of the segment".
    const std::size_t start = e + 2;
    const std::size_t count = g - e - 3;
    // Only reachable for text that is not a whole segment, e.g. an empty one.
    if (start > segment.size())
        return {};
    return segment.substr(start, count);
}

// The attribute name of a directory or option tag, which begins at a fixed position. Every
// attribute name ends in '=', so in a well-formed tag that '=' is the segment's first and neither
// the first-occurrence rule nor the value needs another search.
class Attribute {
public:
    // early: the segment's first '=' when it stands before at, npos when there is none.
    Attribute(std::string_view segment, std::size_t at, std::size_t early)
        : m_segment(segment)
        , m_at(at)
        , m_early(early)
    { }

    // The character at the attribute's position; the caller has made sure there is one.
    char first() const { return m_segment[m_at]; }

    // True when the first occurrence of name in the segment begins at the attribute's position;
    // an earlier one (in stray text before the tag, say) makes the tag unrecognised.
    template<std::size_t N> bool is(const char (&name)[N])
    {
        constexpr std::size_t length = N - 1;
        if (!occursAt(m_segment, m_at, name))
            return false;
        // An earlier occurrence would end in an '=' before m_at: the name holds no other '='.
        if (m_early == npos) {
            m_e = m_at + length - 1;
            return true;
        }
        for (std::size_t earlier = 0; earlier < m_at; ++earlier) {
            if (m_segment[earlier] == name[0] && occursAt(m_segment, earlier, name))
                return false;
        }
        m_e = m_early;
        return true;
    }

    // The tag's value, once is has matched.
    std::string_view value() const { return valueOf(m_segment, m_e, m_segment.size() - 1); }
    bool flag() const { return ConfigParser::parseFlag(value()); }

private:
    std::string_view m_segment;
    std::size_t m_at;
    std::size_t m_early;
    std::size_t m_e = npos;
};

// Where a text stands in the parsed text. Small, so that starting an option costs little.
struct Span {
    std::uint16_t start = 0;
    std::uint16_t size = 0;
};
static_assert(ConfigParser::maxTextSize <= UINT16_MAX);

// An option as it is read: its texts are only located until the end of the text, when all options
// get their records at once.
struct PendingOption {
    std::array<Span, ConfigOption::TextCount> texts {};
    bool enabled = true;
    bool visible = true;
};

// The '>'s of the text are found a block at a time, as a bit mask, rather than by one search per
// segment: segments are short, and starting a search costs about as much as running it.
constexpr std::size_t closeBlock = 64;

// Bit i is set when text[block + i] is '>'.
std::uint64_t closesIn(std::string_view text, std::size_t block)
{
    const char* const at = text.data() + block;
    std::uint64_t closes = 0;
#if defined(__SSE2__)
    if (text.size() - block >= closeBlock) {
        const __m128i close = _mm_set1_epi8('>');
        const auto closesIn16 = [&](std::size_t from) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + from));
            return std::uint64_t { static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, close))) }
            << from;
        };
        return closesIn16(0) | closesIn16(16) | closesIn16(32) | closesIn16(48);
    }
#endif
    const std::size_t count = std::min(closeBlock, text.size() - block);
    for (std::size_t i = 0; i < count; ++i)
        closes |= std::uint64_t { at[i] == '>' } << i;
    return closes;
}

// Applies one segment at a time to the configuration being built.
class SegmentReader {
public:
    // text: the whole text, of which read is given one segment at a time.
    explicit SegmentReader(std::string_view text)
        : m_text(text)
    {
        m_options.reserve(expectedOptions);
    }
    void read(std::string_view segment);
    InstallConfig finish();

private:
    void readDir(std::string_view segment, std::size_t p, std::size_t early);
    void readOption(std::string_view segment, std::size_t p, std::size_t early);
    Span spanOf(std::string_view value) const
    {
        if (value.empty())
            return {};
        return { static_cast<std::uint16_t>(value.data() - m_text.data()),
            static_cast<std::uint16_t>(value.size()) };
    }

    // Enough for any real package; the main page shows only seven.
    static constexpr std::size_t expectedOptions = 32;

    std::string_view m_text;
    InstallConfig m_config;
    // The last one is the current option.
    std::vector<PendingOption> m_options;
    // NUL never occurs in the text, so the first option tag always starts an option.
    char m_group = '\0';
};

// The first '=' before a tag's attribute name: the first before the '<' (early) if any, else the
// row or group character at from or the separator after it, which may be '=' too.
std::size_t equalsBefore(std::string_view segment, std::size_t early, std::size_t from)
{
    if (early != npos)
        return early;
    if (segment[from] == '=')
        return from;
    if (segment[from + 1] == '=')
        return from + 1;
    return npos;
}

void SegmentReader::read(std::string_view segment)
{
    // The tag mostly starts after a line break: look at the first few characters by hand, noting
    // the first '=' on the way, before a longer search.
    constexpr std::size_t nearby = 8;
    std::size_t p = npos;
    std::size_t early = npos;
    const std::size_t window = std::min(segment.size(), nearby);
    for (std::size_t i = 0; i < window; ++i) {
        if (segment[i] == '<') {
            p = i;
            break;
        }
        if (segment[i] == '=' && early == npos)
            early = i;
    }
    if (p == npos) {
        p = segment.find('<', window);
        if (p == npos)
            return;
        if (early == npos)
            early = segment.substr(0, p).find('=', window);
    }

    // Dispatch on the letter after '<' so that a tag tries one or two keywords, not all six; keywords
    // sharing a letter cannot both match, so their order within it decides nothing. The segment
    // ends with '>', so p + 1 is inside it. Every keyword begins with '<' and p is the first '<',
    // so a keyword found at p is its first occurrence.
    const auto value
        = [&] { return valueOf(segment, early != npos ? early : segment.find('=', p), segment.size() - 1); };
    switch (segment[p + 1]) {
    case 'I':
        if (occursAt(segment, p, "<IS_JAVA"))
            m_config.isJava = ConfigParser::parseFlag(value());
        else if (occursAt(segment, p, "<INSTALL_TITLE"))
            m_config.setInstallTitle(value());
        break;
    case 'C':
        if (occursAt(segment, p, "<CLASSPATH"))
            m_config.setClassPath(value());
        break;
    case 'R':
        if (occursAt(segment, p, "<RESTARTCF"))
            m_config.restartServer = ConfigParser::parseFlag(value());
        break;
    case 'D':
        if (occursAt(segment, p, "<DIR"))
            readDir(segment, p, early);
        break;
    case 'O':
        if (occursAt(segment, p, "<OPTION"))
            readOption(segment, p, early);
        break;
    default:
        break;
    }
}

// "<DIR", one row character, one separator, the attribute name. The segment ends with '>', so
// the row character is always inside it.
void SegmentReader::readDir(std::string_view segment, std::size_t p, std::size_t early)
{
    const std::size_t at = p + 6;
    if (at >= segment.size())
        return;
    const char row = segment[p + 4];
    Attribute attribute(segment, at, equalsBefore(segment, early, p + 4));
    if (attribute.is("VISIBLE=")) {
        (row == '2'          ? m_config.dir2Visible
                : row == '3' ? m_config.dir3Visible
                             : m_config.dir1Visible)
            = attribute.flag();
    } else if (attribute.is("CAPTION=")) {
        if (row == '2')
            m_config.setDir2Caption(attribute.value());
        else if (row == '3')
            m_config.setDir3Caption(attribute.value());
        else
            m_config.setDir1Caption(attribute.value());
    } else if (attribute.is("VALUE=")) {
        if (row == '2')
            m_config.setDir2Value(attribute.value());
        else if (row == '3')
            m_config.setDir3Value(attribute.value());
        else
            m_config.setDir1Value(attribute.value());
    }
}

// "<OPTION", one group character, one separator, the attribute name. A change of group character
// from the previous option tag starts the next option, even when no attribute matches.
void SegmentReader::readOption(std::string_view segment, std::size_t p, std::size_t early)
{
    const char group = segment[p + 7];
    if (group != m_group || m_options.empty()) {
        m_options.emplace_back();
        m_group = group;
    }
    PendingOption& option = m_options.back();
    const std::size_t at = p + 9;
    if (at >= segment.size())
        return;
    Attribute attribute(segment, at, equalsBefore(segment, early, p + 7));
    // By first letter, as for the keywords.
    switch (attribute.first()) {
    case 'V':
        if (attribute.is("VISIBLE="))
            option.visible = attribute.flag();
        break;
    case 'E':
        if (attribute.is("ENABLED="))
            option.enabled = attribute.flag();
        break;
    case 'C':
        if (attribute.is("CAPTION="))
            option.texts[ConfigOption::Caption] = spanOf(attribute.value());
        else if (attribute.is("CLASS="))
            option.texts[ConfigOption::ClassName] = spanOf(attribute.value());
        break;
    case 'T':
        if (attribute.is("TYPE="))
            option.texts[ConfigOption::Type] = spanOf(attribute.value());
        else if (attribute.is("TAGNAME="))
            option.texts[ConfigOption::TagName] = spanOf(attribute.value());
        break;
    case 'D':
        if (attribute.is("DESCRIPTION="))
            option.texts[ConfigOption::Description] = spanOf(attribute.value());
        else if (attribute.is("DEST="))
            option.texts[ConfigOption::Dest] = spanOf(attribute.value());
        break;
    case 'S':
        if (attribute.is("SOURCE="))
            option.texts[ConfigOption::Source] = spanOf(attribute.value());
        break;
    default:
        break;
    }
}

// What the options of one file share: their records, and one copy of the text for all their
// texts. Small copies, one per text, would cost more than the whole text at once.
struct ParsedOptions {
    std::unique_ptr<char[]> text;
    std::vector<ConfigOption> records;
};

InstallConfig SegmentReader::finish()
{
    if (m_options.empty())
        return std::move(m_config);
    const auto parsed = std::make_shared<ParsedOptions>();
    parsed->text = std::make_unique_for_overwrite<char[]>(m_text.size());
    const char* const text = parsed->text.get();
    std::memcpy(parsed->text.get(), m_text.data(), m_text.size());
    // Never grown afterwards, so the records stay where the configuration points.
    parsed->records.reserve(m_options.size());
    m_config.reserveOptions(m_options.size());
    for (const PendingOption& option : m_options) {
        // Filled in one go rather than cleared first and then filled.
        const auto view = [&](ConfigOption::Text which) {
            return std::string_view(text + option.texts[which].start, option.texts[which].size);
        };
        ConfigOption& record = parsed->records.emplace_back(ConfigOption::Texts { view(ConfigOption::Caption),
            view(ConfigOption::TagName), view(ConfigOption::ClassName), view(ConfigOption::Description),
            view(ConfigOption::Source), view(ConfigOption::Dest), view(ConfigOption::Type) });
        record.enabled = option.enabled;
        record.visible = option.visible;
        m_config.addOption(ConfigOptionPtr(parsed, &record));
    }
    return std::move(m_config);
}

} // namespace

InstallConfig ConfigParser::parse(const std::string& path)
{
    // Zeroed, so a file that cannot be read parses as whatever arrived before the failure.
    std::array<char, maxTextSize> buffer {};
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead)) {
        loaded = false;
    } else {
        UINT total = 0;
        while (total < buffer.size()) {
            const UINT count = file.Read(buffer.data() + total, static_cast<UINT>(buffer.size() - total));
            if (count == CFile::readError) {
                loaded = false;
                break;
            }
            // Only 0 is the end of the file; a short read may be followed by more.
            if (count == 0)
                break;
            total += count;
        }
        file.Close();
    }
    return parseText(std::string_view(buffer.data(), buffer.size()));
}

InstallConfig ConfigParser::parseText(std::string_view text)
{
    text = text.substr(0, maxTextSize);
    text = text.substr(0, text.find('\0'));

    // Cut after every '>'; text after the last one belongs to no segment.
    SegmentReader reader(text);
    std::size_t offset = 0;
    for (std::size_t block = 0; block < text.size(); block += closeBlock) {
        for (std::uint64_t closes = closesIn(text, block); closes != 0; closes &= closes - 1) {
            const std::size_t g = block + static_cast<std::size_t>(std::countr_zero(closes));
            reader.read(std::string_view(text.data() + offset, g + 1 - offset));
            offset = g + 1;
        }
    }
    return reader.finish();
}

std::string_view ConfigParser::extractValue(std::string_view segment)
{
    return valueOf(segment, segment.find('='), segment.find('>'));
}

bool ConfigParser::parseFlag(std::string_view value)
{
    return !(value == "0" || value == "no" || value == "false");
}
