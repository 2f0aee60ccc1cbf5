// One wanted item against what the machine holds now, by the platform's own reads.
#pragma once

#include "cli/status/DesiredState.h"
#include "platform/MachineChanges.h"

#include <cstdint>
#include <optional>
#include <string>

enum class ItemState { InPlace, Missing, Different };

struct FileFacts {
    std::uint64_t bytes = 0;
    std::string sha256; // empty: the file could not be read
};

struct ItemFinding {
    ItemState state = ItemState::InPlace;
    FileFacts expected; // file: its source in the package
    std::optional<FileFacts> foundFile; // file: the one at its path
    // value: the data found; folder and file: "file" or "folder", what is at the path instead.
    std::optional<std::string> found;
};

// machine answers for the machine itself (never a plan). A file and its source are both hashed,
// whatever their sizes, so that a difference is shown with both digests.
ItemFinding CheckItem(const DesiredItem& item, MachineChanges& machine);

// "in-place", "missing" or "different".
const char* StateName(ItemState state);
