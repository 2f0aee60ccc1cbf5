// How the checks of install.conf look at its text: its blanks, quotes and name characters, and
// where a view into it stands.
#pragma once

#include <cstddef>
#include <string_view>

namespace check {

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

inline bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// ASCII only, as the fold is: std::isalnum would follow the C locale.
inline bool IsNameChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// A view into text (a value) as an offset of the file; otherwise for a view that points nowhere.
inline std::size_t OffsetIn(std::string_view text, std::string_view part, std::size_t otherwise)
{
    return part.data() ? static_cast<std::size_t>(part.data() - text.data()) : otherwise;
}

} // namespace check
