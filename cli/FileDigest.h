// The SHA-256 of a file, for the install log's record of each copied file and for undo's check
// that a copy is still as the install left it.
#pragma once

#include "cli/Sha256.h"
#include "platform/CopiedBytes.h"

#include <string>

// The digest of the file at path (a Windows path), in Sha256::HexDigest's form; empty when the
// file cannot be opened or read. Others may read the file meanwhile, but not write it.
[[nodiscard]] std::string Sha256OfFile(const std::string& path);

// The digest of a copy, taken as the platform makes it.
class CopyDigest : public CopiedBytes {
public:
    void Take(const void* data, std::size_t size) override { m_hash.Update(data, size); }
    void Lost() override { m_lost = true; }
    // Sha256::HexDigest's form; empty when the copy could not be seen whole.
    [[nodiscard]] std::string HexDigest() { return m_lost ? std::string() : m_hash.HexDigest(); }

private:
    Sha256 m_hash;
    bool m_lost = false;
};
