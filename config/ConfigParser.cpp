#include "config/ConfigParser.h"

#include "platform/CFile.h"

#include <array>
#include <cstring>
#include <memory>
#include <utility>

namespace {

// Literal names only: with the length fixed at compile time the compare is inlined, which matters
// because every tag tries several names.
template<std::size_t N> bool occursAt(std::string_view text, std::size_t pos, const char (&name)[N])
{
    constexpr std::size_t length = N - 1;
    return pos <= text.size() && text.size() - pos >= length
        && std::memcmp(text.data() + pos, name, length) == 0;
}

// True when the first occurrence of name in the segment begins exactly at pos; an earlier one
// (in stray text before the tag, say) makes the tag unrecognised.
template<std::size_t N>
bool firstOccurrenceAt(std::string_view segment, std::size_t pos, const char (&name)[N])
{
    if (!occursAt(segment, pos, name))
        return false;
    for (std::size_t earlier = 0; earlier < pos; ++earlier) {
        if (segment[earlier] == name[0] && occursAt(segment, earlier, name))
            return false;
    }
    return true;
}

// The segment's value when its last character, the '>', is at g.
std::string_view valueOf(std::string_view segment, std::size_t g)
{
    const std::size_t e = segment.find('=');
    // The unsigned wrap-around is part of the format: without '=' the start wraps to 1, and a
    // negative count becomes "the rest of the segment".
    const std::size_t start = e + 2;
    const std::size_t count = g - e - 3;
    // Only reachable for text that is not a whole segment, e.g. an empty one.
    if (start > segment.size())
        return {};
    return segment.substr(start, count);
}

// Every segment ends with its only '>'.
std::string_view valueOf(std::string_view segment)
{
    return valueOf(segment, segment.size() - 1);
}

bool flagOf(std::string_view segment)
{
    return ConfigParser::parseFlag(valueOf(segment));
}

// The directory rows are plain fields of the configuration; this names the three of each row.
struct DirRow {
    bool InstallConfig::*visible;
    void (InstallConfig::*setCaption)(std::string_view);
    void (InstallConfig::*setValue)(std::string_view);
};

constexpr DirRow dirRows[] = {
    { &InstallConfig::dir1Visible, &InstallConfig::setDir1Caption, &InstallConfig::setDir1Value },
    { &InstallConfig::dir2Visible, &InstallConfig::setDir2Caption, &InstallConfig::setDir2Value },
    { &InstallConfig::dir3Visible, &InstallConfig::setDir3Caption, &InstallConfig::setDir3Value },
};

// Applies one segment at a time to the configuration being built.
class SegmentReader {
public:
    void read(std::string_view segment);
    InstallConfig finish();

private:
    void readDir(std::string_view segment, std::size_t p);
    void readOption(std::string_view segment, std::size_t p);

    InstallConfig m_config;
    std::shared_ptr<ConfigOption> m_current;
    // NUL never occurs in the text, so the first option tag always starts an option.
    char m_group = '\0';
};

void SegmentReader::read(std::string_view segment)
{
    const std::size_t p = segment.find('<');
    if (p == std::string_view::npos)
        return;
    // Dispatch on the letter after '<' so that a tag tries one or two keywords, not all six; keywords
    // sharing a letter cannot both match, so their order within it decides nothing. The segment
    // ends with '>', so p + 1 is inside it.
    switch (segment[p + 1]) {
    case 'I':
        if (firstOccurrenceAt(segment, p, "<IS_JAVA"))
            m_config.isJava = flagOf(segment);
        else if (firstOccurrenceAt(segment, p, "<INSTALL_TITLE"))
            m_config.setInstallTitle(valueOf(segment));
        break;
    case 'C':
        if (firstOccurrenceAt(segment, p, "<CLASSPATH"))
            m_config.setClassPath(valueOf(segment));
        break;
    case 'R':
        if (firstOccurrenceAt(segment, p, "<RESTARTCF"))
            m_config.restartServer = flagOf(segment);
        break;
    case 'D':
        if (firstOccurrenceAt(segment, p, "<DIR"))
            readDir(segment, p);
        break;
    case 'O':
        if (firstOccurrenceAt(segment, p, "<OPTION"))
            readOption(segment, p);
        break;
    default:
        break;
    }
}

// "<DIR", one row character, one separator, the attribute name. The segment ends with '>', so
// the row character is always inside it.
void SegmentReader::readDir(std::string_view segment, std::size_t p)
{
    const char rowChar = segment[p + 4];
    const DirRow& row = dirRows[rowChar == '2' ? 1 : rowChar == '3' ? 2 : 0];
    const std::size_t at = p + 6;
    if (firstOccurrenceAt(segment, at, "VISIBLE="))
        m_config.*row.visible = flagOf(segment);
    else if (firstOccurrenceAt(segment, at, "CAPTION="))
        (m_config.*row.setCaption)(valueOf(segment));
    else if (firstOccurrenceAt(segment, at, "VALUE="))
        (m_config.*row.setValue)(valueOf(segment));
}

// "<OPTION", one group character, one separator, the attribute name. A change of group character
// from the previous option tag starts the next option, even when no attribute matches.
void SegmentReader::readOption(std::string_view segment, std::size_t p)
{
    const char group = segment[p + 7];
    if (group != m_group) {
        if (m_current)
            m_config.addOption(std::move(m_current));
        m_current = std::make_shared<ConfigOption>();
        m_group = group;
    }
    ConfigOption& option = *m_current;
    const std::size_t at = p + 9;
    if (at >= segment.size())
        return;
    // By first letter, as for the keywords.
    switch (segment[at]) {
    case 'V':
        if (firstOccurrenceAt(segment, at, "VISIBLE="))
            option.visible = flagOf(segment);
        break;
    case 'E':
        if (firstOccurrenceAt(segment, at, "ENABLED="))
            option.enabled = flagOf(segment);
        break;
    case 'C':
        if (firstOccurrenceAt(segment, at, "CAPTION="))
            option.setCaption(valueOf(segment));
        else if (firstOccurrenceAt(segment, at, "CLASS="))
            option.setClassName(valueOf(segment));
        break;
    case 'T':
        if (firstOccurrenceAt(segment, at, "TYPE="))
            option.setType(valueOf(segment));
        else if (firstOccurrenceAt(segment, at, "TAGNAME="))
            option.setTagName(valueOf(segment));
        break;
    case 'D':
        if (firstOccurrenceAt(segment, at, "DESCRIPTION="))
            option.setDescription(valueOf(segment));
        else if (firstOccurrenceAt(segment, at, "DEST="))
            option.setDest(valueOf(segment));
        break;
    case 'S':
        if (firstOccurrenceAt(segment, at, "SOURCE="))
            option.setSource(valueOf(segment));
        break;
    default:
        break;
    }
}

InstallConfig SegmentReader::finish()
{
    if (m_current)
        m_config.addOption(std::move(m_current));
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
    SegmentReader reader;
    std::size_t offset = 0;
    for (std::size_t g = text.find('>'); g != std::string_view::npos; g = text.find('>', offset)) {
        reader.read(text.substr(offset, g + 1 - offset));
        offset = g + 1;
    }
    return reader.finish();
}

std::string_view ConfigParser::extractValue(std::string_view segment)
{
    return valueOf(segment, segment.find('>'));
}

bool ConfigParser::parseFlag(std::string_view value)
{
    return !(value == "0" || value == "no" || value == "false");
}
