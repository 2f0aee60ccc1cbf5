// How the checks of a package write what they find.
#pragma once

#include <cstddef>
#include <string>

// 12048 as "12,048": how the messages write a limit, so that each is built from the limit's name.
std::string WithCommas(std::size_t number);
