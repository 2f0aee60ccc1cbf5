// The check of install.conf in three parts: the tags as they are read (TagChecks.cpp), what the
// parser makes of them (ParsedConfigCheck.cpp), and, here, what of the file is never read at all.
#include "cli/check/ConfigCheck.h"

#include "cli/check/FindingText.h"
#include "cli/check/ParsedConfigCheck.h"
#include "cli/check/TagChecks.h"
#include "cli/check/TagText.h"
#include "config/TagReader.h"

#include <algorithm>

namespace {

using check::IsBlank;
using check::WithCommas;
using tags::npos;

// What is never read: past the size limit, after a NUL byte, or after the last '>'.
void CheckUnread(std::string_view file, std::string_view text, std::vector<Finding>& findings)
{
    const auto add = [&](std::size_t offset, std::string message) {
        findings.push_back({ offset, Severity::Error, std::move(message) });
    };
    const std::size_t size = file.size();
    const std::size_t read = text.size();
    const std::size_t lastClose = text.rfind('>');
    const std::size_t tail = lastClose == npos ? 0 : lastClose + 1;
    const auto firstFilled = [&](std::size_t from) {
        for (std::size_t i = from; i < size; ++i)
            if (!IsBlank(file[i]) && file[i] != '\0')
                return i;
        return npos;
    };
    const bool cutByNul = read < std::min(size, tags::maxTextSize);
    if (!cutByNul && size > tags::maxTextSize) {
        const std::size_t first = firstFilled(tail);
        if (first != npos)
            add(first,
                "only the first " + WithCommas(tags::maxTextSize)
                    + " bytes of install.conf are read: nothing from here on is");
        return;
    }
    const std::size_t open = text.find('<', tail);
    if (open != npos)
        add(open, "no '>' ends this tag: it is never read");
    if (cutByNul && firstFilled(read) != npos) {
        const bool utf16
            = file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF") || (size > 1 && file[1] == '\0');
        add(read,
            std::string("a NUL byte ends the text here: nothing after it is read")
                + (utf16 ? " (the file looks like UTF-16: save it as ANSI text)" : ""));
    }
}

} // namespace

std::vector<Finding> CheckConfigText(std::string_view file, const EntryProbe& probe)
{
    const std::string_view text = tags::readableText(file);
    std::vector<Finding> findings;
    const check::TagPlaces places = check::CheckTags(text, findings);
    CheckUnread(file, text, findings);
    check::CheckParsedConfig(file, text, places, probe, findings);
    return findings;
}
