// The checks of one tag's value as the tag reader takes it: its quotes, the blanks around it, and
// flags that look off but read as on. For top-level, row and option tags alike.
#pragma once

#include "cli/check/ConfigCheck.h"
#include "config/TagReader.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace check {

// The value is taken from two past the '=' (at e) to two before the '>', whatever stands there:
// the form NAME="value"> is assumed, not checked. text is all that is read of the file. Returns
// where the rest of a value starts when a '>' in it ended the tag (that rest is no tag of its
// own), and npos when the tag holds the whole value.
std::size_t CheckValueForm(
    const tags::Tag& tag, std::size_t e, std::string_view text, std::vector<Finding>& findings);

// A flag (name as the message calls it) whose value at offset at looks like off but reads as on.
void CheckFlag(std::size_t at, std::string_view name, std::string_view value, std::vector<Finding>& findings);

} // namespace check
