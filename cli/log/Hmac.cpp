#include "cli/log/Hmac.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

constexpr std::size_t kBlock = 64;

} // namespace

Hmac::Hmac(std::string_view key)
{
    std::array<unsigned char, kBlock> block {};
    if (key.size() > kBlock) {
        Sha256 hash;
        hash.Update(key);
        const Sha256Digest digest = hash.Digest();
        std::copy(digest.begin(), digest.end(), block.begin());
    } else {
        std::copy(key.begin(), key.end(), block.begin());
    }
    std::array<unsigned char, kBlock> pad;
    for (std::size_t i = 0; i < kBlock; ++i)
        pad[i] = block[i] ^ 0x36;
    m_inner.Update(pad.data(), pad.size());
    for (std::size_t i = 0; i < kBlock; ++i)
        pad[i] = block[i] ^ 0x5c;
    m_outer.Update(pad.data(), pad.size());
    m_message = m_inner;
    // The key's copies go; what is kept is hashed.
    for (volatile unsigned char& byte : block)
        byte = 0;
    for (volatile unsigned char& byte : pad)
        byte = 0;
}

Sha256Digest Hmac::Outer(const Sha256Digest& inner) const
{
    Sha256 outer = m_outer;
    outer.Update(inner.data(), inner.size());
    return outer.Digest();
}

Sha256Digest Hmac::Sign(std::string_view message) const
{
    Sha256 inner = m_inner;
    inner.Update(message);
    return Outer(inner.Digest());
}

Sha256Digest Hmac::Finish()
{
    const Sha256Digest inner = m_message.Digest();
    m_message = m_inner;
    return Outer(inner);
}

bool Hmac::Verify(std::string_view message, std::string_view tag) const
{
    // A tag cut below half the digest is too easy to guess.
    if (tag.size() < 16 || tag.size() > 32)
        return false;
    const Sha256Digest expected = Sign(message);
    unsigned char difference = 0;
    for (std::size_t i = 0; i < tag.size(); ++i)
        difference |= static_cast<unsigned char>(expected[i] ^ static_cast<unsigned char>(tag[i]));
    return difference == 0;
}
