#include "cli/check/FindingText.h"

namespace check {

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

std::string WithCommas(std::size_t number)
{
    std::string text = std::to_string(number);
    for (std::size_t end = text.size(); end > 3; end -= 3)
        text.insert(end - 3, 1, ',');
    return text;
}

} // namespace check
