#include "cli/check/ValueChecks.h"

#include "cli/check/FindingText.h"
#include "cli/check/TagText.h"
#include "cli/TextCase.h"

namespace check {

using tags::npos;

namespace {

// <DIR1 CAPTION="a" VALUE="b">: the value runs from the first '=' to the end of the tag.
void CheckTwoAttributes(const tags::Tag& tag, std::size_t e, char quote, std::vector<Finding>& findings)
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
            findings.push_back({ tag.offset() + name, Severity::Error,
                "a second attribute in the same tag: only the first is read, and its value runs on to the "
                "end of the tag" });
            return;
        }
    }
}

} // namespace

std::size_t CheckValueForm(
    const tags::Tag& tag, std::size_t e, std::string_view text, std::vector<Finding>& findings)
{
    const std::string_view segment = tag.segment();
    const std::size_t g = segment.size() - 1;
    const auto add = [&](std::size_t pos, const std::string& message) {
        findings.push_back({ tag.offset() + pos, Severity::Error, message });
    };
    if (e + 1 >= g) {
        add(e, "no value after '=': the value is empty");
        return npos;
    }
    const char quote = segment[e + 1];
    if (IsBlank(quote)) {
        add(e + 1, "a blank after '=': the value starts one character late, with its opening quote");
        return npos;
    }
    if (!IsQuote(quote)) {
        add(e + 1, "the value is not in quotes: its first and last characters are dropped");
        return npos;
    }
    if (g - 1 > e + 1 && segment[g - 1] == quote) {
        CheckTwoAttributes(tag, e, quote, findings);
        return npos;
    }
    const std::size_t closing = segment.rfind(quote, g - 1);
    if (closing == e + 1) {
        // Nothing closes the value before this '>'. When the text up to the next '>' does, the
        // '>' was meant to be part of the value.
        const std::size_t next = tag.offset() + g + 1;
        const std::size_t nextClose = text.find('>', next);
        const std::string_view rest
            = nextClose == npos ? std::string_view() : text.substr(next, nextClose - next);
        if (nextClose != npos && rest.find('<') == npos && rest.find(quote) != npos) {
            add(g,
                "a '>' inside a value ends the tag here: the value is cut short, and the rest up to the next "
                "'>' is skipped");
            return next;
        }
        add(g - 1, "no closing quote before '>': the value's last character is dropped");
        return npos;
    }
    bool blanks = true;
    for (std::size_t i = closing + 1; i < g; ++i)
        blanks = blanks && IsBlank(segment[i]);
    if (blanks)
        add(closing + 1, "a blank before '>': the closing quote becomes part of the value");
    else
        add(closing + 1,
            "text between the closing quote and '>': the quote and that text become part of the value");
    return npos;
}

void CheckFlag(std::size_t at, std::string_view name, std::string_view value, std::vector<Finding>& findings)
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
        findings.push_back({ at, Severity::Error,
            std::string(name) + " " + Quoted(value)
                + " reads as on: only exactly 0, no or false turn it off" });
}

} // namespace check
