// How install.conf is cut into tags and how each tag is read: by position arithmetic, not as markup.
// The parser builds the configuration from these readings, and tarnwick-cli check reports on the
// very same readings, so what check says is what the wizard does. The reading is on every start's
// path, so what runs per tag is inline here.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tags {

constexpr std::size_t npos = std::string_view::npos;

// Only this many bytes of the file are read; the rest is ignored.
constexpr std::size_t maxTextSize = 12048;

// The part of a file that is read: its first maxTextSize bytes, up to the first NUL.
inline std::string_view readableText(std::string_view file)
{
    file = file.substr(0, maxTextSize);
    return file.substr(0, file.find('\0'));
}

enum class Keyword : std::uint8_t { None, IsJava, ClassPath, InstallTitle, RestartCf, Dir, Option };

enum class Attribute : std::uint8_t {
    None,
    Visible,
    Enabled,
    Caption,
    Type,
    TagName,
    Class,
    Description,
    Source,
    Dest,
    Value,
};

struct KeywordName {
    Keyword keyword;
    std::string_view text;
};
// In the order in which they are tested.
inline constexpr std::array<KeywordName, 6> keywordNames { { { Keyword::IsJava, "<IS_JAVA" },
    { Keyword::ClassPath, "<CLASSPATH" }, { Keyword::InstallTitle, "<INSTALL_TITLE" },
    { Keyword::RestartCf, "<RESTARTCF" }, { Keyword::Dir, "<DIR" }, { Keyword::Option, "<OPTION" } } };

struct AttributeName {
    Attribute attribute;
    std::string_view text; // with its '='
};
// The attributes of each kind of tag, in the order in which they are tested.
inline constexpr std::array<AttributeName, 3> dirAttributeNames { { { Attribute::Visible, "VISIBLE=" },
    { Attribute::Caption, "CAPTION=" }, { Attribute::Value, "VALUE=" } } };
inline constexpr std::array<AttributeName, 9> optionAttributeNames { { { Attribute::Visible, "VISIBLE=" },
    { Attribute::Enabled, "ENABLED=" }, { Attribute::Caption, "CAPTION=" }, { Attribute::Type, "TYPE=" },
    { Attribute::TagName, "TAGNAME=" }, { Attribute::Class, "CLASS=" },
    { Attribute::Description, "DESCRIPTION=" }, { Attribute::Source, "SOURCE=" },
    { Attribute::Dest, "DEST=" } } };

// The tag's keyword without its '<', for messages.
std::string_view keywordText(Keyword keyword);
// The attribute's name without its '=', for messages.
std::string_view attributeText(Attribute attribute);

// The four keywords whose value is a flag or a text of the configuration itself.
constexpr bool isTopLevel(Keyword keyword)
{
    return keyword != Keyword::None && keyword != Keyword::Dir && keyword != Keyword::Option;
}

// False only for exactly "0", "no" or "false".
inline bool parseFlag(std::string_view value)
{
    switch (value.size()) {
    case 1:
        return value[0] != '0';
    case 2:
        return !(value[0] == 'n' && value[1] == 'o');
    case 5:
        return value != "false";
    default:
        return true;
    }
}

// The value of a segment whose first '=' is at e and first '>' at g.
inline std::string_view valueOf(std::string_view segment, std::size_t e, std::size_t g)
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

// The directory row a row character selects: '2' and '3' theirs, any other row 1.
constexpr int dirRow(char row)
{
    return row == '2' ? 2 : row == '3' ? 3 : 1;
}

// Which option a tag works on: a group character other than the previous option tag's starts the
// next option. Tags of other kinds in between change nothing.
class OptionGroups {
public:
    // True when an option tag with this group character starts a new option.
    bool starts(char group)
    {
        if (group == m_group && m_started)
            return false;
        m_group = group;
        m_started = true;
        return true;
    }

private:
    char m_group = '\0';
    bool m_started = false;
};

namespace detail {

// The bytes at p as one unsigned number of their size.
template<class Word> Word wordAt(const char* p)
{
    Word word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Literal names only: with the length fixed at compile time the compare is inlined, which matters
// because every tag tries several names. Lengths other than 4 and 8 are two overlapping word
// compares; g++ would call the library for some of them.
template<std::size_t N> bool sameBytes(const char* p, const char (&name)[N])
{
    constexpr std::size_t length = N - 1;
    static_assert(length >= 4 && length <= 16);
    if constexpr (length == 4 || length == 8) {
        return std::memcmp(p, name, length) == 0;
    } else {
        using Word = std::conditional_t<(length >= 8), std::uint64_t, std::uint32_t>;
        constexpr std::size_t tail = length - sizeof(Word);
        return wordAt<Word>(p) == wordAt<Word>(name) && wordAt<Word>(p + tail) == wordAt<Word>(name + tail);
    }
}

template<std::size_t N> bool occursAt(std::string_view text, std::size_t pos, const char (&name)[N])
{
    constexpr std::size_t length = N - 1;
    return pos <= text.size() && text.size() - pos >= length && sameBytes(text.data() + pos, name);
}

// The attribute name of a directory or option tag, which begins at a fixed position. Every
// attribute name ends in '=', so in a well-formed tag that '=' is the segment's first and neither
// the first-occurrence rule nor the value needs another search.
class AttributeAt {
public:
    // early: the segment's first '=' when it stands before at, npos when there is none.
    AttributeAt(std::string_view segment, std::size_t at, std::size_t early)
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

    // The segment's first '=', once is has matched.
    std::size_t equals() const { return m_e; }

private:
    std::string_view m_segment;
    std::size_t m_at;
    std::size_t m_early;
    std::size_t m_e = npos;
};

// The '>'s of the text are found a block at a time, as a bit mask, rather than by one search per
// segment: segments are short, and starting a search costs about as much as running it.
constexpr std::size_t closeBlock = 64;

// Bit i is set when text[block + i] is '>'.
inline std::uint64_t closesIn(std::string_view text, std::size_t block)
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

} // namespace detail

// What a directory or option tag sets: which attribute, to which value.
struct Setting {
    Attribute attribute = Attribute::None;
    std::string_view value;
    bool flag() const { return parseFlag(value); }
};

// One tag segment as the parser reads it: from the character after the previous '>' through the
// next '>'. Positions count from the segment's start.
class Tag {
public:
    // The segment text[offset..g], g being the position of a '>' in text.
    Tag(std::string_view text, std::size_t offset, std::size_t g)
        : m_segment(text.data() + offset, g + 1 - offset)
        , m_offset(offset)
    {
        // The tag mostly starts after a line break: look at the first few characters by hand,
        // noting the first '=' on the way, before a longer search.
        constexpr std::size_t nearby = 8;
        const std::size_t window = std::min(m_segment.size(), nearby);
        for (std::size_t i = 0; i < window; ++i) {
            if (m_segment[i] == '<') {
                m_p = i;
                break;
            }
            if (m_segment[i] == '=' && m_early == npos)
                m_early = i;
        }
        if (m_p == npos) {
            m_p = m_segment.find('<', window);
            if (m_p == npos)
                return;
            if (m_early == npos)
                m_early = m_segment.substr(0, m_p).find('=', window);
        }
        m_keyword = keywordAt(m_segment, m_p);
    }

    std::string_view segment() const { return m_segment; }
    // Where the segment starts in the text.
    std::size_t offset() const { return m_offset; }
    // The first '<', where the keyword must stand; npos when there is none.
    std::size_t open() const { return m_p; }
    Keyword keyword() const { return m_keyword; }
    // The first '=' of the segment, also one in stray text before the '<'; npos when there is none.
    std::size_t equals() const { return m_early != npos ? m_early : m_segment.find('=', m_p); }

    // The tag's value: from two past the first '=' up to two before the '>'.
    std::string_view value() const { return valueOf(m_segment, equals(), m_segment.size() - 1); }
    bool flag() const { return parseFlag(value()); }

    // Directory and option tags: where the row or group character stands, and where the attribute
    // name must begin, one separator character later. The segment ends with '>', so the row or
    // group character is always inside it.
    std::size_t selectorAt() const { return m_p + (m_keyword == Keyword::Dir ? 4 : 7); }
    char selector() const { return m_segment[selectorAt()]; }
    std::size_t attributeAt() const { return selectorAt() + 2; }

    // Directory and option tags: what the tag sets; attribute None when it sets nothing.
    [[gnu::always_inline]] Setting setting() const
    {
        const std::size_t at = attributeAt();
        if (at >= m_segment.size())
            return {};
        const std::size_t from = selectorAt();
        detail::AttributeAt name(m_segment, at, equalsBefore(from));
        const Attribute attribute = m_keyword == Keyword::Dir ? dirAttribute(name) : optionAttribute(name);
        if (attribute == Attribute::None)
            return {};
        return { attribute, valueOf(m_segment, name.equals(), m_segment.size() - 1) };
    }

private:
    // The first '=' before a tag's attribute name: the first before the '<' if any, else the row or
    // group character at from or the separator after it, which may be '=' too.
    std::size_t equalsBefore(std::size_t from) const
    {
        if (m_early != npos)
            return m_early;
        if (m_segment[from] == '=')
            return from;
        if (m_segment[from + 1] == '=')
            return from + 1;
        return npos;
    }

    // Dispatch on the letter after '<' so that a tag tries one or two keywords, not all six; keywords
    // sharing a letter cannot both match, so their order within it decides nothing. The segment
    // ends with '>', so p + 1 is inside it. Every keyword begins with '<' and p is the first '<',
    // so a keyword found at p is its first occurrence.
    static Keyword keywordAt(std::string_view segment, std::size_t p)
    {
        using detail::occursAt;
        switch (segment[p + 1]) {
        case 'I':
            if (occursAt(segment, p, "<IS_JAVA"))
                return Keyword::IsJava;
            if (occursAt(segment, p, "<INSTALL_TITLE"))
                return Keyword::InstallTitle;
            break;
        case 'C':
            if (occursAt(segment, p, "<CLASSPATH"))
                return Keyword::ClassPath;
            break;
        case 'R':
            if (occursAt(segment, p, "<RESTARTCF"))
                return Keyword::RestartCf;
            break;
        case 'D':
            if (occursAt(segment, p, "<DIR"))
                return Keyword::Dir;
            break;
        case 'O':
            if (occursAt(segment, p, "<OPTION"))
                return Keyword::Option;
            break;
        default:
            break;
        }
        return Keyword::None;
    }

    [[gnu::always_inline]] static Attribute dirAttribute(detail::AttributeAt& name)
    {
        if (name.is("VISIBLE="))
            return Attribute::Visible;
        if (name.is("CAPTION="))
            return Attribute::Caption;
        if (name.is("VALUE="))
            return Attribute::Value;
        return Attribute::None;
    }

    // By first letter, as for the keywords.
    [[gnu::always_inline]] static Attribute optionAttribute(detail::AttributeAt& name)
    {
        switch (name.first()) {
        case 'V':
            if (name.is("VISIBLE="))
                return Attribute::Visible;
            break;
        case 'E':
            if (name.is("ENABLED="))
                return Attribute::Enabled;
            break;
        case 'C':
            if (name.is("CAPTION="))
                return Attribute::Caption;
            if (name.is("CLASS="))
                return Attribute::Class;
            break;
        case 'T':
            if (name.is("TYPE="))
                return Attribute::Type;
            if (name.is("TAGNAME="))
                return Attribute::TagName;
            break;
        case 'D':
            if (name.is("DESCRIPTION="))
                return Attribute::Description;
            if (name.is("DEST="))
                return Attribute::Dest;
            break;
        case 'S':
            if (name.is("SOURCE="))
                return Attribute::Source;
            break;
        default:
            break;
        }
        return Attribute::None;
    }

    std::string_view m_segment;
    std::size_t m_offset;
    std::size_t m_p = npos;
    // The first '=' before the '<', npos when there is none.
    std::size_t m_early = npos;
    Keyword m_keyword = Keyword::None;
};

// Calls visit(const Tag&) for every segment of text, in order: the text is cut after every '>', and
// text after the last one belongs to no segment.
template<class Visit> void forEachTag(std::string_view text, Visit&& visit)
{
    using detail::closeBlock;
    std::size_t offset = 0;
    for (std::size_t block = 0; block < text.size(); block += closeBlock) {
        for (std::uint64_t closes = detail::closesIn(text, block); closes != 0; closes &= closes - 1) {
            const std::size_t g = block + static_cast<std::size_t>(std::countr_zero(closes));
            const Tag tag(text, offset, g);
            visit(tag);
            offset = g + 1;
        }
    }
}

} // namespace tags
