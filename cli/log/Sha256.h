// SHA-256, fed in pieces of any size, so a file can be hashed while it is read. The install log
// records the digest of every copied file; undo compares it to tell an untouched copy from one
// that was changed since.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using Sha256Digest = std::array<unsigned char, 32>;

class Sha256 {
public:
    void Update(const void* data, std::size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }

    // The digest of everything given so far. The object then starts over, ready for the next
    // message.
    [[nodiscard]] Sha256Digest Digest();
    // The same as 64 lowercase hex digits, as sha256sum prints it.
    [[nodiscard]] std::string HexDigest();
    // The same into digest, whose room is used again.
    void HexDigest(std::string& digest);

    // For tests: true keeps every Sha256 on the plain C++ compression even where the processor
    // has SHA instructions, so both can be checked against each other. Returns whether the
    // processor has them, that is whether the choice makes any difference.
    static bool UsePortableCompression(bool portable);

private:
    void Compress(const unsigned char* blocks, std::size_t count);

    static constexpr std::array<std::uint32_t, 8> initialState { 0x6a09e667, 0xbb67ae85, 0x3c6ef372,
        0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19 };

    std::array<std::uint32_t, 8> m_state = initialState;
    std::array<unsigned char, 64> m_block {}; // the part of a block not yet compressed
    std::size_t m_blockUsed = 0;
    std::uint64_t m_length = 0; // bytes given so far
};

// The digest of bytes, in HexDigest's form.
[[nodiscard]] std::string Sha256Hex(std::string_view bytes);

// A digest (or its first bytes) as lowercase hex digits.
[[nodiscard]] std::string DigestHex(const Sha256Digest& digest, std::size_t bytes = 32);
