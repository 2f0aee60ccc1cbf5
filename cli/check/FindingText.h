// How the checks of a package write what they find.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace check {

// A text of the file for a message, in quotes: a long one shortened, control characters shown as '?'.
std::string Quoted(std::string_view text);

// 12048 as "12,048": how the messages write a limit, so that each is built from the limit's name.
std::string WithCommas(std::size_t number);

} // namespace check
