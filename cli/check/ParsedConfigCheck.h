// The other half of the check of install.conf: the configuration the parser makes of it, looked
// at for what no single tag shows: each option's type and the fields it needs, the folder a Copy
// takes, the %DIRn% placeholders, and the class path of a Java package.
#pragma once

#include "cli/check/ConfigCheck.h"
#include "cli/check/TagChecks.h"

#include <string_view>
#include <vector>

namespace check {

// file: the whole of install.conf; text: the part of it that is read; places: what the tag-by-tag
// check noted of it. Adds what it finds to findings.
void CheckParsedConfig(std::string_view file, std::string_view text, const TagPlaces& places,
    const EntryProbe& probe, std::vector<Finding>& findings);

} // namespace check
