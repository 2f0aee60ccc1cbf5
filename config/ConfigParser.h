// Reads install.conf into an InstallConfig. The format is a flat run of tags read by position
// arithmetic; nothing is ever a syntax error, unrecognised text is skipped.
#pragma once

#include "config/InstallConfig.h"
#include "config/TagReader.h"

#include <cstddef>
#include <string>
#include <string_view>

class ConfigParser {
public:
    // Only this many bytes of the file are read; the rest is ignored.
    static constexpr std::size_t maxTextSize = tags::maxTextSize;

    // Set to false by parse when the file cannot be opened or read, and never set back.
    bool loaded = true;

    // Reads the file and parses it. Never throws: a file that cannot be opened or read leaves
    // loaded false and yields the defaults plus whatever bytes were read before the failure.
    [[nodiscard]] InstallConfig parse(const std::string& path);

    // Parses text as the file's content: only its first maxTextSize bytes, up to its first NUL.
    [[nodiscard]] static InstallConfig parseText(std::string_view text);

    // The value of one tag segment, as a view into it: from two past the segment's first '='
    // up to two before its first '>'. Without '=' it starts at the second character; a count
    // that comes out negative takes the rest of the segment.
    [[nodiscard]] static std::string_view extractValue(std::string_view segment);

    // False only for exactly "0", "no" or "false".
    [[nodiscard]] static bool parseFlag(std::string_view value);
};
