#include "cli/check/TagChecks.h"

#include "cli/check/FindingText.h"
#include "cli/check/NoSettingCheck.h"
#include "cli/check/TagText.h"
#include "cli/check/ValueChecks.h"
#include "cli/TextCase.h"

#include <string>
#include <utility>

namespace check {

using tags::Attribute;
using tags::Keyword;
using tags::npos;

namespace {

class TagChecker {
public:
    TagChecker(std::string_view text, std::vector<Finding>& findings)
        : m_text(text)
        , m_findings(findings)
    { }

    void CheckTag(const tags::Tag& tag);
    TagPlaces TakePlaces() { return std::move(m_places); }

private:
    void Add(std::size_t offset, Severity severity, std::string message)
    {
        m_findings.push_back({ offset, severity, std::move(message) });
    }

    void CheckStray(const tags::Tag& tag);
    void CheckUnknown(const tags::Tag& tag);
    void CheckTopLevel(const tags::Tag& tag);
    void CheckRowOrOption(const tags::Tag& tag);
    // False when a '>' in the value ended the tag.
    bool CheckValue(const tags::Tag& tag, std::size_t e);

    std::string_view m_text;
    std::vector<Finding>& m_findings;
    TagPlaces m_places;
    tags::OptionGroups m_groups;
    // Where a segment starts that only holds the rest of a value cut by a '>'.
    std::size_t m_cutRest = npos;
};

void TagChecker::CheckTag(const tags::Tag& tag)
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
void TagChecker::CheckStray(const tags::Tag& tag)
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

void TagChecker::CheckUnknown(const tags::Tag& tag)
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

void TagChecker::CheckTopLevel(const tags::Tag& tag)
{
    const std::string_view segment = tag.segment();
    const Keyword keyword = tag.keyword();
    const std::string name(tags::keywordText(keyword));
    const bool isFlag = keyword == Keyword::IsJava || keyword == Keyword::RestartCf;
    const std::size_t p = tag.open();
    const std::size_t at = tag.offset() + p;
    m_places.keywordAt[Index(keyword)] = at;
    m_places.keywordValues[Index(keyword)] = tag.value();

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

    if (!CheckValue(tag, e))
        return;
    if (isFlag)
        CheckFlag(OffsetIn(m_text, tag.value(), at), name, tag.value(), m_findings);
}

void TagChecker::CheckRowOrOption(const tags::Tag& tag)
{
    const Keyword keyword = tag.keyword();
    const std::size_t at = tag.offset() + tag.open();
    const char selector = tag.selector();
    if (keyword == Keyword::Option && m_groups.starts(selector)) {
        for (const OptionPlaces& earlier : m_places.options) {
            if (earlier.group == selector) {
                Add(at, Severity::Error,
                    "<OPTION" + std::string(1, selector) + " again after another option starts option "
                        + std::to_string(m_places.options.size() + 1)
                        + " instead of adding to the earlier one: the tags of an option must stand together");
                break;
            }
        }
        m_places.options.emplace_back();
        m_places.options.back().start = at;
        m_places.options.back().group = selector;
    }
    const tags::Setting setting = tag.setting();
    if (setting.attribute == Attribute::None) {
        ExplainNoSetting(tag, m_findings);
        return;
    }
    if (keyword == Keyword::Option) {
        m_places.options.back().tagAt[Index(setting.attribute)] = at;
        m_places.options.back().values[Index(setting.attribute)] = setting.value;
    }

    const std::size_t e = tag.equals();
    if (e < tag.attributeAt())
        Add(tag.offset() + e, Severity::Error,
            "the tag's first '=' stands before its attribute name: the value is read from there");
    else if (!CheckValue(tag, e))
        return;
    if (keyword == Keyword::Dir && (selector < '1' || selector > '3'))
        Add(tag.offset() + tag.selectorAt(), Severity::Error,
            "there is no row " + Quoted(std::string_view(&selector, 1)) + ": <DIR" + selector
                + " sets row 1 (the rows are 1, 2 and 3)");
    if (setting.attribute == Attribute::Visible || setting.attribute == Attribute::Enabled)
        CheckFlag(OffsetIn(m_text, setting.value, at), tags::attributeText(setting.attribute), setting.value,
            m_findings);
}

bool TagChecker::CheckValue(const tags::Tag& tag, std::size_t e)
{
    const std::size_t cutRest = CheckValueForm(tag, e, m_text, m_findings);
    if (cutRest == npos)
        return true;
    m_cutRest = cutRest;
    return false;
}

} // namespace

TagPlaces CheckTags(std::string_view text, std::vector<Finding>& findings)
{
    TagChecker checker(text, findings);
    tags::forEachTag(text, [&](const tags::Tag& tag) { checker.CheckTag(tag); });
    return checker.TakePlaces();
}

} // namespace check
