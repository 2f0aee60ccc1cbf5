// What a "file-copied" line says before its digest: gathered where the copy is made, and made into
// its line where the line is written, which in a logged install is the thread that takes the digest.
#pragma once

#include "cli/log/JsonLine.h"

#include <chrono>
#include <cstdint>
#include <string>

struct CopyEvent {
    std::chrono::system_clock::time_point time;
    std::string from;
    std::string to;
    std::uint64_t bytes = 0;
    bool replaced = false;

    // The line up to "replaced"; "sha256" and "backup" follow it.
    [[nodiscard]] JsonLine Line() const;
};
