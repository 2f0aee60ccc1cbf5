// The SHA-256 of a file on disk, for the install log's record of each copied file.
#pragma once

#include <string>

// The digest of the file at path (a Windows path), in Sha256::HexDigest's form; empty when the
// file cannot be opened or read. Others may read the file meanwhile, but not write it.
[[nodiscard]] std::string Sha256OfFile(const std::string& path);
