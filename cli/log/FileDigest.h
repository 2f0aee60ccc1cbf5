// The SHA-256 of a file, for the install log's record of each copied file and for undo's check
// that a copy is still as the install left it.
#pragma once

#include "cli/log/Sha256.h"

#include <string>

// The digest of the file at path (a Windows path), in Sha256::HexDigest's form; empty when the
// file cannot be opened or read. Others may read the file meanwhile, but not write it.
[[nodiscard]] std::string Sha256OfFile(const std::string& path);
