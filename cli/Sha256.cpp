#include "cli/Sha256.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint32_t roundConstants[64] = {
    0x428a2f98,
    0x71374491,
    0xb5c0fbcf,
    0xe9b5dba5,
    0x3956c25b,
    0x59f111f1,
    0x923f82a4,
    0xab1c5ed5,
    0xd807aa98,
    0x12835b01,
    0x243185be,
    0x550c7dc3,
    0x72be5d74,
    0x80deb1fe,
    0x9bdc06a7,
    0xc19bf174,
    0xe49b69c1,
    0xefbe4786,
    0x0fc19dc6,
    0x240ca1cc,
    0x2de92c6f,
    0x4a7484aa,
    0x5cb0a9dc,
    0x76f988da,
    0x983e5152,
    0xa831c66d,
    0xb00327c8,
    0xbf597fc7,
    0xc6e00bf3,
    0xd5a79147,
    0x06ca6351,
    0x14292967,
    0x27b70a85,
    0x2e1b2138,
    0x4d2c6dfc,
    0x53380d13,
    0x650a7354,
    0x766a0abb,
    0x81c2c92e,
    0x92722c85,
    0xa2bfe8a1,
    0xa81a664b,
    0xc24b8b70,
    0xc76c51a3,
    0xd192e819,
    0xd6990624,
    0xf40e3585,
    0x106aa070,
    0x19a4c116,
    0x1e376c08,
    0x2748774c,
    0x34b0bcb5,
    0x391c0cb3,
    0x4ed8aa4a,
    0x5b9cca4f,
    0x682e6ff3,
    0x748f82ee,
    0x78a5636f,
    0x84c87814,
    0x8cc70208,
    0x90befffa,
    0xa4506ceb,
    0xbef9a3f7,
    0xc67178f2,
};

// Words are big-endian whatever the host's order.
std::uint32_t LoadBigEndian(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16
        | static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

} // namespace

void Sha256::Compress(const unsigned char* block)
{
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = LoadBigEndian(block + 4 * i);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }

    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    std::uint32_t e = m_state[4], f = m_state[5], g = m_state[6], h = m_state[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t sum1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
        const std::uint32_t choose = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + sum1 + choose + roundConstants[i] + w[i];
        const std::uint32_t sum0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = sum0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    m_state[4] += e;
    m_state[5] += f;
    m_state[6] += g;
    m_state[7] += h;
}

void Sha256::Update(const void* data, std::size_t size)
{
    if (size == 0)
        return; // data may then be null
    const auto* bytes = static_cast<const unsigned char*>(data);
    m_length += size;
    if (m_blockUsed > 0) {
        const std::size_t take = std::min(size, m_block.size() - m_blockUsed);
        std::memcpy(m_block.data() + m_blockUsed, bytes, take);
        m_blockUsed += take;
        bytes += take;
        size -= take;
        if (m_blockUsed < m_block.size())
            return;
        Compress(m_block.data());
        m_blockUsed = 0;
    }
    // Whole blocks straight from the caller's buffer, without a copy.
    for (; size >= m_block.size(); bytes += m_block.size(), size -= m_block.size())
        Compress(bytes);
    std::memcpy(m_block.data(), bytes, size);
    m_blockUsed = size;
}

std::string Sha256::HexDigest()
{
    // Padding: a 1 bit, zeros up to 56 bytes into a block, then the length in bits, big-endian.
    const std::uint64_t bits = m_length * 8;
    m_block[m_blockUsed++] = 0x80;
    if (m_blockUsed > 56) {
        std::memset(m_block.data() + m_blockUsed, 0, m_block.size() - m_blockUsed);
        Compress(m_block.data());
        m_blockUsed = 0;
    }
    std::memset(m_block.data() + m_blockUsed, 0, 56 - m_blockUsed);
    for (int i = 0; i < 8; ++i)
        m_block[56 + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    Compress(m_block.data());

    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(64);
    for (const std::uint32_t word : m_state)
        for (int shift = 28; shift >= 0; shift -= 4)
            out += hex[(word >> shift) & 0xF];

    m_state = initialState;
    m_blockUsed = 0;
    m_length = 0;
    return out;
}

std::string Sha256Hex(std::string_view bytes)
{
    Sha256 hash;
    hash.Update(bytes);
    return hash.HexDigest();
}
