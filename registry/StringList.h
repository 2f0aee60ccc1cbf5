// Names returned by a registry enumeration, in the registry's order; the caller owns the list.
#pragma once

#include <string>
#include <vector>

using StringList = std::vector<std::string>;
