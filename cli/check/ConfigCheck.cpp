#include "cli/check/ConfigCheck.h"

#include "cli/check/FindingText.h"
#include "cli/TextCase.h"
#include "config/ConfigParser.h"
#include "config/TagReader.h"
#include "engine/PathText.h"

#include <array>

namespace {

using tags::Attribute;
using tags::Keyword;
using tags::npos;

constexpr std::size_t kAttributes = static_cast<std::size_t>(Attribute::Value) + 1;
constexpr std::size_t kKeywords = static_cast<std::size_t>(Keyword::Option) + 1;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// ASCII only, as the fold is: std::isalnum would follow the C locale.
bool IsNameChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// A text of the file for a message, in quotes: a long one shortened, control characters shown as '?'.
std::string Quoted(std::string_view text)
{
    constexpr std::size_t kLongest = 40;
    std::string shown(text.substr(0, kLongest));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    if (text.size() > kLongest)
        shown += "...";
    return "\"" + shown + "\"";
}

std::size_t Index(Attribute attribute)
{
    return static_cast<std::size_t>(attribute);
}

std::size_t Index(Keyword keyword)
{
    return static_cast<std::size_t>(keyword);
}

// Where an option's tags stand: the one that started it, and the last one setting each attribute,
// with its value (the one the parser kept).
struct OptionPlaces {
    std::size_t start = npos;
    char group = '\0';
    std::array<std::size_t, kAttributes> tagAt;
    std::array<std::string_view, kAttributes> values {};
    OptionPlaces() { tagAt.fill(npos); }
};

class Checker {
public:
    Checker(std::string_view file, const EntryProbe& probe)
        : m_file(file)
        , m_text(tags::readableText(file))
        , m_probe(probe)
    {
        m_keywordAt.fill(npos);
    }

    std::vector<Finding> Run()
    {
        tags::forEachTag(m_text, [this](const tags::Tag& tag) { CheckTag(tag); });
        CheckUnread();
        CheckConfiguration();
        return std::move(m_findings);
    }

private:
    void Add(std::size_t offset, Severity severity, std::string message)
    {
        m_findings.push_back({ offset, severity, std::move(message) });
    }
    // A view into the text (a value) as an offset of the file.
    std::size_t OffsetOf(std::string_view part, std::size_t otherwise) const
    {
        return part.data() ? static_cast<std::size_t>(part.data() - m_text.data()) : otherwise;
    }

    void CheckTag(const tags::Tag& tag);
    void CheckStray(const tags::Tag& tag);
    void CheckUnknown(const tags::Tag& tag);
    void CheckTopLevel(const tags::Tag& tag);
    void CheckRowOrOption(const tags::Tag& tag);
    void ExplainNoSetting(const tags::Tag& tag);
    bool CheckValueForm(const tags::Tag& tag, std::size_t e);
    void CheckTwoAttributes(const tags::Tag& tag, std::size_t e, char quote);
    void CheckFlag(std::size_t at, std::string_view name, std::string_view value);
    void CheckUnread();
    void CheckConfiguration();
    void CheckOption(std::size_t index, const ConfigOption& option, const OptionPlaces& places);
    void CheckCopySource(const std::string& label, const std::string& source, const OptionPlaces& places);
    void CheckPlaceholders(std::string_view text, std::size_t at, std::string_view field, bool replaced);

    std::string_view m_file;
    std::string_view m_text;
    const EntryProbe& m_probe;
    std::vector<Finding> m_findings;

    tags::OptionGroups m_groups;
    std::vector<OptionPlaces> m_options;
    // The last tag of each top-level keyword and its value.
    std::array<std::size_t, kKeywords> m_keywordAt;
    std::array<std::string_view, kKeywords> m_keywordValues {};
    std::array<bool, 3> m_rowVisible {};
    std::array<std::string, 3> m_rowValue;
    // Where a segment starts that only holds the rest of a value cut by a '>'.
    std::size_t m_cutRest = npos;
};

void Checker::CheckTag(const tags::Tag& tag)
{
    if (tag.open() == npos)
        CheckStray(tag);
    else if (tag.keyword() == Keyword::None)
        CheckUnknown(tag);
    else if (tags::isTopLevel(tag.keyword()))
        CheckTopLevel(tag);
    else
        CheckRowOrOption(tag);
}

// Text up to a '>' without any '<': skipped. Worth a word only when it looks like a tag.
void Checker::CheckStray(const tags::Tag& tag)
{
    if (tag.offset() == m_cutRest)
        return;
    const std::string_view segment = tag.segment();
    if (segment.find("=\"") == npos && segment.find("='") == npos)
        return;
    std::size_t first = 0;
    while (IsBlank(segment[first]))
        ++first;
    Add(tag.offset() + first, Severity::Warning,
        "text with an '=' but no '<' before this '>' is skipped: a tag starts with '<'");
}

void Checker::CheckUnknown(const tags::Tag& tag)
{
    const std::string_view segment = tag.segment();
    const std::size_t p = tag.open();
    const std::size_t g = segment.size() - 1;
    // <!-- notes --> and the like; a tag written inside one is meant to be skipped.
    if (segment[p + 1] == '!' || segment[p + 1] == '?')
        return;

    // Only the first '<' since the previous '>' is looked at: a tag after a stray one is lost.
    for (std::size_t later = segment.find('<', p + 1); later != npos; later = segment.find('<', later + 1)) {
        for (const tags::KeywordName& keyword : tags::keywordNames) {
            if (segment.substr(later).starts_with(keyword.text)) {
                Add(tag.offset() + later, Severity::Error,
                    "this tag is skipped: a tag is looked for only at the first '<' after the previous '>', "
                    "and that one stands earlier");
                return;
            }
        }
    }

    std::size_t start = p + 1;
    while (start < g && IsBlank(segment[start]))
        ++start;
    std::size_t end = start;
    while (end < g && IsNameChar(segment[end]))
        ++end;
    const std::string_view word = segment.substr(start, end - start);
    // A '<' in prose.
    if (word.empty())
        return;
    const std::string upper = ToUpperAscii(word);
    for (const tags::KeywordName& keyword : tags::keywordNames) {
        const std::string_view name = keyword.text.substr(1);
        if (!std::string_view(upper).starts_with(name))
            continue;
        if (start > p + 1)
            Add(tag.offset() + p + 1, Severity::Error,
                "a blank after '<': the tag <" + std::string(name) + " is skipped");
        else
            Add(tag.offset() + p, Severity::Error,
                "keywords are upper case: <" + std::string(word) + " is skipped (write <" + upper + ")");
        return;
    }
    Add(tag.offset() + p, Severity::Warning, "unknown tag <" + std::string(word) + ": skipped");
}

void Checker::CheckTopLevel(const tags::Tag& tag)
{
    const std::string_view segment = tag.segment();
    const Keyword keyword = tag.keyword();
    const std::string name(tags::keywordText(keyword));
    const bool isFlag = keyword == Keyword::IsJava || keyword == Keyword::RestartCf;
    const std::size_t p = tag.open();
    const std::size_t at = tag.offset() + p;
    m_keywordAt[Index(keyword)] = at;
    m_keywordValues[Index(keyword)] = tag.value();

    const std::size_t e = tag.equals();
    if (e == npos) {
        if (isFlag)
            Add(at, Severity::Warning,
                "<" + name + " without '=': the value is read from the tag's own text, so it reads as on");
        else
            Add(at, Severity::Error, "<" + name + " without '=': the value is read from the tag's own text");
        return;
    }
    if (e < p) {
        Add(tag.offset() + e, Severity::Error, "an '=' before the tag: the tag's value is read from there");
        return;
    }

    // What stands between the keyword and '=' is not looked at.
    const std::size_t nameEnd = p + name.size() + 1;
    std::size_t first = nameEnd;
    while (first < e && IsBlank(segment[first]))
        ++first;
    std::size_t last = e;
    while (last > first && IsBlank(segment[last - 1]))
        --last;
    const std::string_view attribute = segment.substr(first, last - first);
    if (!attribute.empty() && attribute != "VALUE") {
        if (EqualsNoCase(attribute, "VALUE"))
            Add(tag.offset() + first, Severity::Warning,
                "attribute names are upper case: write VALUE (this tag is read all the same)");
        else
            Add(tag.offset() + first, Severity::Warning,
                "unknown attribute " + Quoted(attribute) + " of <" + name
                    + ": it is not looked at, and the value is read all the same");
    }
    if (!attribute.empty() && last < e)
        Add(tag.offset() + last, Severity::Warning,
            "a blank before '=': harmless here, but the same blank makes a <DIR or <OPTION tag set nothing");

    if (!CheckValueForm(tag, e))
        return;
    if (isFlag)
        CheckFlag(OffsetOf(tag.value(), at), name, tag.value());
}

void Checker::CheckRowOrOption(const tags::Tag& tag)
{
    const Keyword keyword = tag.keyword();
    const std::size_t at = tag.offset() + tag.open();
    const char selector = tag.selector();
    if (keyword == Keyword::Option && m_groups.starts(selector)) {
        for (const OptionPlaces& earlier : m_options) {
            if (earlier.group == selector) {
                Add(at, Severity::Error,
                    "<OPTION" + std::string(1, selector) + " again after another option starts option "
                        + std::to_string(m_options.size() + 1)
                        + " instead of adding to the earlier one: the tags of an option must stand together");
                break;
            }
        }
        m_options.emplace_back();
        m_options.back().start = at;
        m_options.back().group = selector;
    }
    const tags::Setting setting = tag.setting();
    if (setting.attribute == Attribute::None) {
        ExplainNoSetting(tag);
        return;
    }
    if (keyword == Keyword::Option) {
        m_options.back().tagAt[Index(setting.attribute)] = at;
        m_options.back().values[Index(setting.attribute)] = setting.value;
    }

    const std::size_t e = tag.equals();
    if (e < tag.attributeAt())
        Add(tag.offset() + e, Severity::Error,
            "the tag's first '=' stands before its attribute name: the value is read from there");
    else if (!CheckValueForm(tag, e))
        return;
    if (keyword == Keyword::Dir && (selector < '1' || selector > '3'))
        Add(tag.offset() + tag.selectorAt(), Severity::Error,
            "there is no row " + Quoted(std::string_view(&selector, 1)) + ": <DIR" + selector
                + " sets row 1 (the rows are 1, 2 and 3)");
    if (setting.attribute == Attribute::Visible || setting.attribute == Attribute::Enabled)
        CheckFlag(OffsetOf(setting.value, at), tags::attributeText(setting.attribute), setting.value);
}

// A directory or option tag whose attribute is not read: why.
void Checker::ExplainNoSetting(const tags::Tag& tag)
{
    const std::string_view segment = tag.segment();
    const bool isDir = tag.keyword() == Keyword::Dir;
    const std::size_t p = tag.open();
    const std::size_t g = segment.size() - 1;
    const std::size_t selectorAt = tag.selectorAt();
    const std::size_t at = tag.attributeAt();
    const auto add = [&](std::size_t pos, Severity severity, const std::string& message) {
        Add(tag.offset() + pos, severity, message);
    };
    const std::string keyword = isDir ? "<DIR" : "<OPTION";
    const std::string head(segment.substr(p, std::min(selectorAt + 1, g) - p));

    if (at >= g) {
        add(p, Severity::Warning,
            isDir ? head + " without an attribute sets nothing"
                  : head + " without an attribute starts an option but sets nothing");
        return;
    }
    const char selector = segment[selectorAt];
    if (IsBlank(selector) || selector == '=') {
        add(selectorAt, Severity::Error,
            (isDir ? "no row number after <DIR" : "no group character after <OPTION")
                + std::string(": this tag sets nothing"));
        return;
    }
    if (IsNameChar(segment[selectorAt + 1])) {
        add(selectorAt, Severity::Error,
            (isDir ? "the row is the one character after <DIR"
                   : "the group is the one character after <OPTION")
                + std::string(
                    ", so the attribute name is looked for in the wrong place: this tag sets nothing"));
        return;
    }
    if (IsBlank(segment[at])) {
        add(at, Severity::Error,
            "two blanks after " + head
                + ": the attribute name must follow exactly one, so this tag sets nothing");
        return;
    }

    std::size_t end = at;
    while (end < g && IsNameChar(segment[end]))
        ++end;
    const std::string_view name = segment.substr(at, end - at);
    if (name.empty()) {
        add(at, Severity::Error, "no attribute name after " + head + ": this tag sets nothing");
        return;
    }
    const std::string upper = ToUpperAscii(name);
    const auto named = [&](const auto& names) {
        for (const tags::AttributeName& known : names)
            if (known.text.substr(0, known.text.size() - 1) == upper)
                return true;
        return false;
    };
    const bool own = isDir ? named(tags::dirAttributeNames) : named(tags::optionAttributeNames);
    if (own && name != upper) {
        add(at, Severity::Error, "attribute names are upper case: " + std::string(name) + " sets nothing");
        return;
    }
    if (own) {
        std::size_t after = end;
        while (after < g && IsBlank(segment[after]))
            ++after;
        if (after > end && segment[after] == '=')
            add(end, Severity::Error, "a blank before '=': this tag sets nothing");
        else if (segment[end] == '=')
            add(at, Severity::Error,
                std::string(name)
                    + "= stands earlier in this segment, before the tag, and only the first counts: "
                      "this tag sets nothing");
        else
            add(end, Severity::Error, std::string(name) + " without '=': this tag sets nothing");
        return;
    }
    const bool other = isDir ? named(tags::optionAttributeNames) : named(tags::dirAttributeNames);
    if (other)
        add(at, Severity::Error, upper + " is not an attribute of " + keyword + ": this tag sets nothing");
    else
        add(at, Severity::Error,
            "unknown attribute " + std::string(name) + " of " + keyword + ": this tag sets nothing");
}

// The value is taken from two past the '=' to two before the '>', whatever stands there: the form
// NAME="value"> is assumed, not checked. False when a '>' in the value ended the tag.
bool Checker::CheckValueForm(const tags::Tag& tag, std::size_t e)
{
    const std::string_view segment = tag.segment();
    const std::size_t g = segment.size() - 1;
    const auto add = [&](std::size_t pos, const std::string& message) {
        Add(tag.offset() + pos, Severity::Error, message);
    };
    if (e + 1 >= g) {
        add(e, "no value after '=': the value is empty");
        return true;
    }
    const char quote = segment[e + 1];
    if (IsBlank(quote)) {
        add(e + 1, "a blank after '=': the value starts one character late, with its opening quote");
        return true;
    }
    if (!IsQuote(quote)) {
        add(e + 1, "the value is not in quotes: its first and last characters are dropped");
        return true;
    }
    if (g - 1 > e + 1 && segment[g - 1] == quote) {
        CheckTwoAttributes(tag, e, quote);
        return true;
    }
    const std::size_t closing = segment.rfind(quote, g - 1);
    if (closing == e + 1) {
        // Nothing closes the value before this '>'. When the text up to the next '>' does, the
        // '>' was meant to be part of the value.
        const std::size_t next = tag.offset() + g + 1;
        const std::size_t nextClose = m_text.find('>', next);
        const std::string_view rest
            = nextClose == npos ? std::string_view() : m_text.substr(next, nextClose - next);
        if (nextClose != npos && rest.find('<') == npos && rest.find(quote) != npos) {
            add(g,
                "a '>' inside a value ends the tag here: the value is cut short, and the rest up to the next "
                "'>' is skipped");
            m_cutRest = next;
            return false;
        }
        add(g - 1, "no closing quote before '>': the value's last character is dropped");
        return true;
    }
    bool blanks = true;
    for (std::size_t i = closing + 1; i < g; ++i)
        blanks = blanks && IsBlank(segment[i]);
    if (blanks)
        add(closing + 1, "a blank before '>': the closing quote becomes part of the value");
    else
        add(closing + 1,
            "text between the closing quote and '>': the quote and that text become part of the value");
    return true;
}

// <DIR1 CAPTION="a" VALUE="b">: the value runs from the first '=' to the end of the tag.
void Checker::CheckTwoAttributes(const tags::Tag& tag, std::size_t e, char quote)
{
    const std::string_view segment = tag.segment();
    const std::size_t g = segment.size() - 1;
    for (std::size_t i = e + 2; i + 1 < g; ++i) {
        if (segment[i] != quote || !IsBlank(segment[i + 1]))
            continue;
        std::size_t name = i + 1;
        while (name < g && IsBlank(segment[name]))
            ++name;
        std::size_t end = name;
        while (end < g && IsNameChar(segment[end]))
            ++end;
        std::size_t equals = end;
        while (equals < g && IsBlank(segment[equals]))
            ++equals;
        if (end > name && equals < g && segment[equals] == '=') {
            Add(tag.offset() + name, Severity::Error,
                "a second attribute in the same tag: only the first is read, and its value runs on to the "
                "end "
                "of the tag");
            return;
        }
    }
}

void Checker::CheckFlag(std::size_t at, std::string_view name, std::string_view value)
{
    if (!tags::parseFlag(value))
        return;
    std::size_t first = 0;
    std::size_t last = value.size();
    while (first < last && (IsBlank(value[first]) || IsQuote(value[first])))
        ++first;
    while (last > first && (IsBlank(value[last - 1]) || IsQuote(value[last - 1])))
        --last;
    const std::string word = ToUpperAscii(value.substr(first, last - first));
    if (word == "0" || word == "NO" || word == "FALSE" || word == "OFF" || word == "N")
        Add(at, Severity::Error,
            std::string(name) + " " + Quoted(value)
                + " reads as on: only exactly 0, no or false turn it off");
}

// What is never read: past the size limit, after a NUL byte, or after the last '>'.
void Checker::CheckUnread()
{
    const std::size_t size = m_file.size();
    const std::size_t read = m_text.size();
    const std::size_t lastClose = m_text.rfind('>');
    const std::size_t tail = lastClose == npos ? 0 : lastClose + 1;
    const auto firstFilled = [&](std::size_t from) {
        for (std::size_t i = from; i < size; ++i)
            if (!IsBlank(m_file[i]) && m_file[i] != '\0')
                return i;
        return npos;
    };
    const bool cutByNul = read < std::min(size, tags::maxTextSize);
    if (!cutByNul && size > tags::maxTextSize) {
        const std::size_t first = firstFilled(tail);
        if (first != npos)
            Add(first, Severity::Error,
                "only the first " + WithCommas(tags::maxTextSize)
                    + " bytes of install.conf are read: nothing from here on is");
        return;
    }
    const std::size_t open = m_text.find('<', tail);
    if (open != npos)
        Add(open, Severity::Error, "no '>' ends this tag: it is never read");
    if (cutByNul && firstFilled(read) != npos) {
        const bool utf16 = m_file.starts_with("\xFF\xFE") || m_file.starts_with("\xFE\xFF")
            || (size > 1 && m_file[1] == '\0');
        Add(read, Severity::Error,
            std::string("a NUL byte ends the text here: nothing after it is read")
                + (utf16 ? " (the file looks like UTF-16: save it as ANSI text)" : ""));
    }
}

void Checker::CheckConfiguration()
{
    const InstallConfig config = ConfigParser::parseText(m_file);
    m_rowVisible = { config.dir1Visible, config.dir2Visible, config.dir3Visible };
    m_rowValue = { config.getDir1Value(), config.getDir2Value(), config.getDir3Value() };
    const ConfigOptionList options = config.getOptions();
    // The parser and this walk group the same tags the same way.
    if (options.size() == m_options.size()) {
        for (std::size_t i = 0; i < options.size(); ++i)
            CheckOption(i, *options[i], m_options[i]);
    }

    const std::size_t isJavaAt = m_keywordAt[Index(Keyword::IsJava)];
    const std::size_t classPathAt = m_keywordAt[Index(Keyword::ClassPath)];
    const std::string_view classPath = m_keywordValues[Index(Keyword::ClassPath)];
    if (config.isJava && config.getClassPath().empty())
        Add(isJavaAt, Severity::Warning,
            "a Java package without CLASSPATH: the server's class path gains only a ';'");
    else if (config.isJava && classPath == config.getClassPath())
        CheckPlaceholders(classPath, OffsetOf(classPath, classPathAt), "CLASSPATH", true);
    else if (!config.isJava && !config.getClassPath().empty())
        Add(classPathAt, Severity::Warning, "CLASSPATH is not used: this is not a Java package (IS_JAVA)");
}

void Checker::CheckOption(std::size_t index, const ConfigOption& option, const OptionPlaces& places)
{
    // Options are numbered in the order their groups begin, whatever their group characters.
    std::string label = "option " + std::to_string(index + 1);
    if (places.group != static_cast<char>('1' + index))
        label += " (<OPTION" + std::string(1, places.group) + ")";
    const auto tagOf = [&](Attribute attribute) {
        const std::size_t at = places.tagAt[Index(attribute)];
        return at != npos ? at : places.start;
    };
    const auto valueOf
        = [&](Attribute attribute) { return OffsetOf(places.values[Index(attribute)], tagOf(attribute)); };
    // "has no TAGNAME" when no tag sets it, "an empty TAGNAME" when one sets it empty.
    const auto lacks = [&](Attribute attribute) {
        const std::string name(tags::attributeText(attribute));
        return label + (places.tagAt[Index(attribute)] == npos ? " has no " + name : " has an empty " + name);
    };

    // The limit spelt out: changing it means rewording this message.
    static_assert(InstallConfig::maxOptions == 7, "the message says seven check boxes");
    if (index >= InstallConfig::maxOptions) {
        Add(places.start, Severity::Error,
            label + " is never shown and never installed: the main page has seven check boxes");
        return;
    }
    const std::string type = option.getType();
    if (type.empty()) {
        Add(tagOf(Attribute::Type), Severity::Error, lacks(Attribute::Type) + ": it does nothing");
        return;
    }
    static constexpr std::array<std::string_view, 4> kTypes { "Copy", "JavaCFX", "C++CFX", "ODBC" };
    bool known = false;
    std::string hint = " (the types are Copy, JavaCFX, C++CFX and ODBC, written so)";
    for (std::string_view kind : kTypes) {
        known = known || type == kind;
        if (EqualsNoCase(type, kind))
            hint = " (write " + std::string(kind) + ")";
    }
    if (!known) {
        Add(valueOf(Attribute::Type), Severity::Error,
            label + " has the unknown TYPE " + Quoted(type) + ": it does nothing" + hint);
        return;
    }

    const auto placeholders = [&](Attribute attribute, bool replaced) {
        const std::string_view text = places.values[Index(attribute)];
        CheckPlaceholders(text, OffsetOf(text, places.start), tags::attributeText(attribute), replaced);
    };
    if (type == "Copy") {
        CheckCopySource(label, option.getSource(), places);
        placeholders(Attribute::Source, false);
        if (option.getDest().empty())
            Add(tagOf(Attribute::Dest), Severity::Error,
                lacks(Attribute::Dest) + ": the installation stops at it");
        else
            placeholders(Attribute::Dest, true);
    } else if (type == "ODBC") {
        if (option.getDescription().empty())
            Add(tagOf(Attribute::Description), Severity::Error,
                lacks(Attribute::Description) + ", the data source's name: no data source is created");
        if (option.getSource().empty())
            Add(tagOf(Attribute::Source), Severity::Warning,
                lacks(Attribute::Source) + ": the data source names no database file");
        placeholders(Attribute::Source, false);
    } else {
        if (option.getTagName().empty())
            Add(tagOf(Attribute::TagName), Severity::Error,
                lacks(Attribute::TagName) + ": no tag is registered");
        if (option.getClassName().empty())
            Add(tagOf(Attribute::Class), Severity::Warning,
                lacks(Attribute::Class)
                    + (type == "JavaCFX" ? ": the tag has no Java class" : ": the tag has no library"));
        placeholders(Attribute::Class, false);
    }
}

void Checker::CheckCopySource(const std::string& label, const std::string& source, const OptionPlaces& places)
{
    const std::size_t tagAt = places.tagAt[Index(Attribute::Source)];
    const std::size_t at
        = OffsetOf(places.values[Index(Attribute::Source)], tagAt != npos ? tagAt : places.start);
    if (source.empty()) {
        Add(at, Severity::Error,
            label + (tagAt == npos ? " has no SOURCE" : " has an empty SOURCE")
                + ": the copy takes the root folder of the drive the package is on");
        return;
    }
    const std::string path = CollapseDoubledBackslashes(source);
    if ((path.size() >= 2 && path[1] == ':') || path[0] == '\\' || path[0] == '/') {
        Add(at, Severity::Warning,
            label + " copies " + Quoted(source) + ", a folder of the machine rather than of the package");
        return;
    }
    int depth = 0;
    std::size_t from = 0;
    while (from <= path.size()) {
        std::size_t to = path.find_first_of("\\/", from);
        if (to == npos)
            to = path.size();
        const std::string_view part = std::string_view(path).substr(from, to - from);
        if (part == "..")
            --depth;
        else if (!part.empty() && part != ".")
            ++depth;
        if (depth < 0) {
            Add(at, Severity::Warning,
                label + " copies " + Quoted(source) + ", which lies outside the package");
            return;
        }
        from = to + 1;
    }
    if (depth == 0) {
        Add(at, Severity::Warning,
            label + " copies the package folder itself, install.conf and license.txt included");
        return;
    }
    std::string folder = path;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    switch (m_probe(folder)) {
    case EntryKind::Folder:
        break;
    case EntryKind::File:
        Add(at, Severity::Error,
            label + " copies " + Quoted(source) + ", a file rather than a folder: it copies nothing");
        break;
    case EntryKind::Missing:
        Add(at, Severity::Error,
            label + " copies " + Quoted(source)
                + ", which is not a folder of the package: it copies nothing");
        break;
    }
}

// %DIR1% .. %DIR3% become the texts of the folder rows in DEST and CLASSPATH, and nowhere else.
void Checker::CheckPlaceholders(std::string_view text, std::size_t at, std::string_view field, bool replaced)
{
    for (std::size_t i = text.find('%'); i != npos; i = text.find('%', i + 1)) {
        const std::string_view rest = text.substr(i);
        if (rest.size() < 6 || rest[5] != '%' || !EqualsNoCase(rest.substr(0, 4), "%DIR"))
            continue;
        const std::string placeholder(rest.substr(0, 6));
        const char row = rest[4];
        const bool exact = rest.starts_with("%DIR") && row >= '1' && row <= '3';
        const std::size_t pos = at + i;
        if (!exact) {
            Add(pos, Severity::Warning,
                placeholder + " is never replaced: only %DIR1%, %DIR2% and %DIR3% are, in upper case");
        } else if (!replaced) {
            Add(pos, Severity::Warning,
                placeholder + " stays as written in " + std::string(field)
                    + ": only DEST and CLASSPATH have their folder rows filled in");
        } else if (!m_rowVisible[row - '1']) {
            Add(pos, Severity::Error,
                placeholder + " stands for row " + row + ", which is hidden: it is replaced by nothing");
        } else if (m_rowValue[row - '1'].empty()) {
            Add(pos, Severity::Warning,
                placeholder + " stands for row " + row
                    + ", which has no VALUE: it is replaced by nothing unless the user fills the row in");
        }
        i += 5;
    }
}

} // namespace

std::vector<Finding> CheckConfigText(std::string_view file, const EntryProbe& probe)
{
    return Checker(file, probe).Run();
}
