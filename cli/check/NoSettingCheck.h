// Why a <DIR or <OPTION tag sets nothing: the tag reader found no attribute it reads where the
// attribute name must stand.
#pragma once

#include "cli/check/ConfigCheck.h"
#include "config/TagReader.h"

#include <vector>

namespace check {

// tag: a row or option tag whose setting has no attribute.
void ExplainNoSetting(const tags::Tag& tag, std::vector<Finding>& findings);

} // namespace check
