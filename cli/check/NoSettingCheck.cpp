#include "cli/check/NoSettingCheck.h"

#include "cli/check/TagText.h"
#include "cli/TextCase.h"

#include <algorithm>
#include <span>
#include <string>

namespace check {

using tags::Keyword;

namespace {

// What the explanations say differently of a <DIR tag and an <OPTION tag.
struct TagKind {
    std::string_view keyword;
    std::string_view withoutAttribute; // after the tag's head, when nothing follows it
    std::string_view noSelector; // when a blank or '=' stands where the row or group should
    std::string_view longSelector; // when a name character follows the row or group
    std::span<const tags::AttributeName> own;
    std::span<const tags::AttributeName> other;
};

constexpr TagKind kDir { "<DIR", " without an attribute sets nothing", "no row number after <DIR",
    "the row is the one character after <DIR", tags::dirAttributeNames, tags::optionAttributeNames };
constexpr TagKind kOption { "<OPTION", " without an attribute starts an option but sets nothing",
    "no group character after <OPTION", "the group is the one character after <OPTION",
    tags::optionAttributeNames, tags::dirAttributeNames };

bool Names(std::span<const tags::AttributeName> names, std::string_view upper)
{
    return std::ranges::any_of(names, [&](const tags::AttributeName& known) {
        return known.text.substr(0, known.text.size() - 1) == upper;
    });
}

// The tag as the explanations look at it: its '<' (p), its '>' (g), the row or group character
// and where the attribute name is looked for, all in its segment.
class NoSetting {
public:
    NoSetting(const tags::Tag& tag, std::vector<Finding>& findings)
        : m_tag(tag)
        , m_findings(findings)
        , m_kind(tag.keyword() == Keyword::Dir ? kDir : kOption)
        , m_segment(tag.segment())
        , m_p(tag.open())
        , m_g(m_segment.size() - 1)
        , m_selectorAt(tag.selectorAt())
        , m_at(tag.attributeAt())
        , m_head(m_segment.substr(m_p, std::min(m_selectorAt + 1, m_g) - m_p))
    { }

    void Explain()
    {
        if (!ExplainPlace())
            ExplainName();
    }

private:
    void Add(std::size_t pos, const std::string& message, Severity severity = Severity::Error)
    {
        m_findings.push_back({ m_tag.offset() + pos, severity, message });
    }

    bool ExplainPlace();
    void ExplainName();
    void ExplainOwnName(std::string_view name, const std::string& upper, std::size_t end);

    const tags::Tag& m_tag;
    std::vector<Finding>& m_findings;
    const TagKind& m_kind;
    std::string_view m_segment;
    std::size_t m_p;
    std::size_t m_g;
    std::size_t m_selectorAt;
    std::size_t m_at;
    std::string m_head; // "<DIR1" as written
};

// The attribute name is looked for one blank after the row or group character: true when what
// stands there is not a name at all.
bool NoSetting::ExplainPlace()
{
    if (m_at >= m_g) {
        Add(m_p, m_head + std::string(m_kind.withoutAttribute), Severity::Warning);
        return true;
    }
    const char selector = m_segment[m_selectorAt];
    if (IsBlank(selector) || selector == '=') {
        Add(m_selectorAt, std::string(m_kind.noSelector) + ": this tag sets nothing");
        return true;
    }
    if (IsNameChar(m_segment[m_selectorAt + 1])) {
        Add(m_selectorAt,
            std::string(m_kind.longSelector)
                + ", so the attribute name is looked for in the wrong place: this tag sets nothing");
        return true;
    }
    if (IsBlank(m_segment[m_at])) {
        Add(m_at,
            "two blanks after " + m_head
                + ": the attribute name must follow exactly one, so this tag sets nothing");
        return true;
    }
    return false;
}

// The name in the right place is not one the tag reads.
void NoSetting::ExplainName()
{
    std::size_t end = m_at;
    while (end < m_g && IsNameChar(m_segment[end]))
        ++end;
    const std::string_view name = m_segment.substr(m_at, end - m_at);
    if (name.empty()) {
        Add(m_at, "no attribute name after " + m_head + ": this tag sets nothing");
        return;
    }
    const std::string upper = ToUpperAscii(name);
    const std::string keyword(m_kind.keyword);
    if (Names(m_kind.own, upper))
        ExplainOwnName(name, upper, end);
    else if (Names(m_kind.other, upper))
        Add(m_at, upper + " is not an attribute of " + keyword + ": this tag sets nothing");
    else
        Add(m_at, "unknown attribute " + std::string(name) + " of " + keyword + ": this tag sets nothing");
}

// One of the tag's own attributes all the same: its case, or what follows it instead of '='.
void NoSetting::ExplainOwnName(std::string_view name, const std::string& upper, std::size_t end)
{
    if (name != upper) {
        Add(m_at, "attribute names are upper case: " + std::string(name) + " sets nothing");
        return;
    }
    std::size_t after = end;
    while (after < m_g && IsBlank(m_segment[after]))
        ++after;
    if (after > end && m_segment[after] == '=')
        Add(end, "a blank before '=': this tag sets nothing");
    else if (m_segment[end] == '=')
        Add(m_at,
            std::string(name)
                + "= stands earlier in this segment, before the tag, and only the first counts: "
                  "this tag sets nothing");
    else
        Add(end, std::string(name) + " without '=': this tag sets nothing");
}

} // namespace

void ExplainNoSetting(const tags::Tag& tag, std::vector<Finding>& findings)
{
    NoSetting(tag, findings).Explain();
}

} // namespace check
