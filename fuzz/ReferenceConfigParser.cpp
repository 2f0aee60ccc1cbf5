#include "fuzz/ReferenceConfigParser.h"

#include <array>
#include <cstring>
#include <memory>
#include <utility>

std::string ReferenceConfigOption::getCaption() const
{
    return m_caption;
}
void ReferenceConfigOption::setCaption(std::string_view caption)
{
    m_caption.assign(caption);
}
std::string ReferenceConfigOption::getTagName() const
{
    return m_tagName;
}
void ReferenceConfigOption::setTagName(std::string_view tagName)
{
    m_tagName.assign(tagName);
}
std::string ReferenceConfigOption::getClassName() const
{
    return m_className;
}
void ReferenceConfigOption::setClassName(std::string_view className)
{
    m_className.assign(className);
}
std::string ReferenceConfigOption::getDescription() const
{
    return m_description;
}
void ReferenceConfigOption::setDescription(std::string_view description)
{
    m_description.assign(description);
}
std::string ReferenceConfigOption::getSource() const
{
    return m_source;
}
void ReferenceConfigOption::setSource(std::string_view source)
{
    m_source.assign(source);
}
std::string ReferenceConfigOption::getDest() const
{
    return m_dest;
}
void ReferenceConfigOption::setDest(std::string_view dest)
{
    m_dest.assign(dest);
}
std::string ReferenceConfigOption::getType() const
{
    return m_type;
}
void ReferenceConfigOption::setType(std::string_view type)
{
    m_type.assign(type);
}

std::string ReferenceInstallConfig::getClassPath() const
{
    return m_classPath;
}
void ReferenceInstallConfig::setClassPath(std::string_view classPath)
{
    m_classPath.assign(classPath);
}
std::string ReferenceInstallConfig::getInstallTitle() const
{
    return m_installTitle;
}
void ReferenceInstallConfig::setInstallTitle(std::string_view installTitle)
{
    m_installTitle.assign(installTitle);
}
std::string ReferenceInstallConfig::getDir1Caption() const
{
    return m_dir1Caption;
}
void ReferenceInstallConfig::setDir1Caption(std::string_view caption)
{
    m_dir1Caption.assign(caption);
}
std::string ReferenceInstallConfig::getDir2Caption() const
{
    return m_dir2Caption;
}
void ReferenceInstallConfig::setDir2Caption(std::string_view caption)
{
    m_dir2Caption.assign(caption);
}
std::string ReferenceInstallConfig::getDir3Caption() const
{
    return m_dir3Caption;
}
void ReferenceInstallConfig::setDir3Caption(std::string_view caption)
{
    m_dir3Caption.assign(caption);
}
std::string ReferenceInstallConfig::getDir1Value() const
{
    return m_dir1Value;
}
void ReferenceInstallConfig::setDir1Value(std::string_view value)
{
    m_dir1Value.assign(value);
}
std::string ReferenceInstallConfig::getDir2Value() const
{
    return m_dir2Value;
}
void ReferenceInstallConfig::setDir2Value(std::string_view value)
{
    m_dir2Value.assign(value);
}
std::string ReferenceInstallConfig::getDir3Value() const
{
    return m_dir3Value;
}
void ReferenceInstallConfig::setDir3Value(std::string_view value)
{
    m_dir3Value.assign(value);
}

ReferenceConfigOptionList ReferenceInstallConfig::getOptions() const
{
    return m_options;
}
void ReferenceInstallConfig::addOption(ReferenceConfigOptionPtr option)
{
    m_options.push_back(std::move(option));
}

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
    return ReferenceConfigParser::parseFlag(valueOf(segment));
}

// The directory rows are plain fields of the configuration; this names the three of each row.
struct DirRow {
    bool ReferenceInstallConfig::*visible;
    void (ReferenceInstallConfig::*setCaption)(std::string_view);
    void (ReferenceInstallConfig::*setValue)(std::string_view);
};

constexpr DirRow dirRows[] = {
    { &ReferenceInstallConfig::dir1Visible, &ReferenceInstallConfig::setDir1Caption,
        &ReferenceInstallConfig::setDir1Value },
    { &ReferenceInstallConfig::dir2Visible, &ReferenceInstallConfig::setDir2Caption,
        &ReferenceInstallConfig::setDir2Value },
    { &ReferenceInstallConfig::dir3Visible, &ReferenceInstallConfig::setDir3Caption,
        &ReferenceInstallConfig::setDir3Value },
};

// Applies one segment at a time to the configuration being built.
class SegmentReader {
public:
    void read(std::string_view segment);
    ReferenceInstallConfig finish();

private:
    void readDir(std::string_view segment, std::size_t p);
    void readOption(std::string_view segment, std::size_t p);

    ReferenceInstallConfig m_config;
    std::shared_ptr<ReferenceConfigOption> m_current;
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
        m_current = std::make_shared<ReferenceConfigOption>();
        m_group = group;
    }
    ReferenceConfigOption& option = *m_current;
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

ReferenceInstallConfig SegmentReader::finish()
{
    if (m_current)
        m_config.addOption(std::move(m_current));
    return std::move(m_config);
}

} // namespace

ReferenceInstallConfig ReferenceConfigParser::parseText(std::string_view text)
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

std::string_view ReferenceConfigParser::extractValue(std::string_view segment)
{
    return valueOf(segment, segment.find('>'));
}

bool ReferenceConfigParser::parseFlag(std::string_view value)
{
    return !(value == "0" || value == "no" || value == "false");
}
