// The texts of the main page's three directory boxes when an option is applied; they replace
// "%DIR1%", "%DIR2%" and "%DIR3%". A hidden row supplies its (empty) text all the same.
#pragma once

#include <string>

struct DirectoryTexts {
    std::string dir1;
    std::string dir2;
    std::string dir3;
};
