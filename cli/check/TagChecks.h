// The tag-by-tag half of the check of install.conf: each tag as the tag reader reads it, looked
// at for what the author cannot have meant. It also notes where each option's tags and each
// top-level keyword stand, which the checks of the parsed configuration point at.
#pragma once

#include "cli/check/ConfigCheck.h"
#include "config/TagReader.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace check {

constexpr std::size_t kAttributes = static_cast<std::size_t>(tags::Attribute::Value) + 1;
constexpr std::size_t kKeywords = static_cast<std::size_t>(tags::Keyword::Option) + 1;

inline std::size_t Index(tags::Attribute attribute)
{
    return static_cast<std::size_t>(attribute);
}

inline std::size_t Index(tags::Keyword keyword)
{
    return static_cast<std::size_t>(keyword);
}

// Where an option's tags stand: the one that started it, and the last one setting each attribute,
// with its value (the one the parser kept).
struct OptionPlaces {
    std::size_t start = tags::npos;
    char group = '\0';
    std::array<std::size_t, kAttributes> tagAt;
    std::array<std::string_view, kAttributes> values {};
    OptionPlaces() { tagAt.fill(tags::npos); }
};

struct TagPlaces {
    // Grouped as the parser groups the tags into options.
    std::vector<OptionPlaces> options;
    // The last tag of each top-level keyword and its value.
    std::array<std::size_t, kKeywords> keywordAt;
    std::array<std::string_view, kKeywords> keywordValues {};
    TagPlaces() { keywordAt.fill(tags::npos); }
};

// text: the part of install.conf that is read. Adds what it finds to findings.
TagPlaces CheckTags(std::string_view text, std::vector<Finding>& findings);

} // namespace check
