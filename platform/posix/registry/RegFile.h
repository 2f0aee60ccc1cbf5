// The registry as text: regedit's ANSI .reg format (first line "REGEDIT4"), which the durable
// store, the demo's seed and the e2e seed share. Texts are kept byte for byte, with no encoding
// conversion, so a file round-trips exactly and imports on Windows or Wine as it reads.
#pragma once

#include "platform/posix/registry/RegistryTree.h"

#include <string>
#include <string_view>

namespace posix {

// Applies a .reg text to tree: sections create keys, "[-...]" removes them, "Name"=- removes a
// value. On a malformed text returns false with "line N: ..." in error; tree may then hold part of
// the text, so parse into a tree of your own and keep it only on success.
bool ParseRegFile(std::string_view text, RegistryTree& tree, std::string& error);

// The whole tree as a .reg text with CRLF line ends: every key below the roots, parents before
// children, keys without values as empty sections. Parsing the text into a fresh tree gives the
// same tree. A name holding a line break has no form in the format: false with a message, and
// text holding part of the tree. text keeps its capacity, so a caller that writes again and again
// can pass the same string and spare the reallocations.
bool WriteRegFile(const RegistryTree& tree, std::string& text, std::string& error);

} // namespace posix
