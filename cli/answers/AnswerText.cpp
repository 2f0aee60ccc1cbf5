#include "cli/answers/AnswerText.h"

#include <algorithm>

std::string QuotedAnswer(std::string_view value)
{
    constexpr std::size_t kMostShown = 80;
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out = "'";
    for (const char c : value.substr(0, kMostShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            out += std::string("\\x") + hex[byte >> 4] + hex[byte & 15];
        else
            out += c;
    }
    if (value.size() > kMostShown)
        out += "...";
    return out + "'";
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        unsigned low = 0x80;
        unsigned high = 0xBF; // the range of the byte after the lead
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else
            return false;
        if (text.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

bool HasNonAscii(std::string_view text)
{
    return std::ranges::any_of(text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}
