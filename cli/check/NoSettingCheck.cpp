#include "cli/check/NoSettingCheck.h"

#include "cli/check/TagText.h"
#include "cli/TextCase.h"

#include <algorithm>

namespace check {

using tags::Keyword;

void ExplainNoSetting(const tags::Tag& tag, std::vector<Finding>& findings)
{
    const std::string_view segment = tag.segment();
    const bool isDir = tag.keyword() == Keyword::Dir;
    const std::size_t p = tag.open();
    const std::size_t g = segment.size() - 1;
    const std::size_t selectorAt = tag.selectorAt();
    const std::size_t at = tag.attributeAt();
    const auto add = [&](std::size_t pos, Severity severity, const std::string& message) {
        findings.push_back({ tag.offset() + pos, severity, message });
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

} // namespace check
