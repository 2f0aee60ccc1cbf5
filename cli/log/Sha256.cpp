#include "cli/log/Sha256.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TARNWICK_SHA_NI 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

alignas(16) constexpr std::uint32_t roundConstants[64] = {
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

void CompressOne(std::uint32_t* state, const unsigned char* block)
{
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = LoadBigEndian(block + 4 * i);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }

    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
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
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

void CompressPortable(std::uint32_t* state, const unsigned char* blocks, std::size_t count)
{
    for (; count > 0; --count, blocks += 64)
        CompressOne(state, blocks);
}

#ifdef TARNWICK_SHA_NI
// The SHA extensions (most x86 processors since 2017-2019) do two rounds an instruction and
// hash several times faster. Only these functions are built for them; the rest of the program
// keeps the baseline instruction set and takes this path only when the processor says it can.
#define TARNWICK_TARGET_SHA __attribute__((target("sha,sse4.1,ssse3")))
#ifdef __i386__
// 32-bit Windows guarantees the stack only 4-byte alignment; SSE spills need 16.
#define TARNWICK_ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define TARNWICK_ALIGN_STACK
#endif

// Four rounds. The state is held as ABEF and CDGH, the order sha256rnds2 wants.
TARNWICK_TARGET_SHA inline __attribute__((always_inline)) void FourRounds(
    __m128i& abef, __m128i& cdgh, __m128i words, int group)
{
    const __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(roundConstants + 4 * group));
    const __m128i sums = _mm_add_epi32(words, k);
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sums);
    abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(sums, 0x0E));
}

// The schedule's next four words from the previous sixteen, oldest first.
TARNWICK_TARGET_SHA inline __attribute__((always_inline)) __m128i NextWords(
    __m128i w0, __m128i w1, __m128i w2, __m128i w3)
{
    const __m128i partial = _mm_add_epi32(_mm_sha256msg1_epu32(w0, w1), _mm_alignr_epi8(w3, w2, 4));
    return _mm_sha256msg2_epu32(partial, w3);
}

TARNWICK_TARGET_SHA TARNWICK_ALIGN_STACK void CompressShaNi(
    std::uint32_t* state, const unsigned char* blocks, std::size_t count)
{
    // Byte order within each 32-bit word, for the big-endian message words.
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);

    // Lane names read from the high lane down.
    const __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
    const __m128i efgh
        = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

    for (; count > 0; --count, blocks += 64) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        const auto* in = reinterpret_cast<const __m128i*>(blocks);
        __m128i w0 = _mm_shuffle_epi8(_mm_loadu_si128(in), byteSwap);
        __m128i w1 = _mm_shuffle_epi8(_mm_loadu_si128(in + 1), byteSwap);
        __m128i w2 = _mm_shuffle_epi8(_mm_loadu_si128(in + 2), byteSwap);
        __m128i w3 = _mm_shuffle_epi8(_mm_loadu_si128(in + 3), byteSwap);
        FourRounds(abef, cdgh, w0, 0);
        FourRounds(abef, cdgh, w1, 1);
        FourRounds(abef, cdgh, w2, 2);
        FourRounds(abef, cdgh, w3, 3);
        for (int group = 4; group < 16; group += 4) {
            w0 = NextWords(w0, w1, w2, w3);
            FourRounds(abef, cdgh, w0, group);
            w1 = NextWords(w1, w2, w3, w0);
            FourRounds(abef, cdgh, w1, group + 1);
            w2 = NextWords(w2, w3, w0, w1);
            FourRounds(abef, cdgh, w2, group + 2);
            w3 = NextWords(w3, w0, w1, w2);
            FourRounds(abef, cdgh, w3, group + 3);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }

    // Back from ABEF/CDGH to ABCD and EFGH.
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

bool ProcessorHasShaNi()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    const bool ssse3 = (ecx & (1u << 9)) != 0;
    const bool sse41 = (ecx & (1u << 19)) != 0;
    eax = ebx = ecx = edx = 0;
    if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx))
        return false;
    const bool sha = (ebx & (1u << 29)) != 0;
    return ssse3 && sse41 && sha;
}
#endif

using CompressFunction = void (*)(std::uint32_t* state, const unsigned char* blocks, std::size_t count);

#ifdef TARNWICK_SHA_NI
// Null until asked. Not a function's static: its guard would bring the runtime's locks into the
// shipped programs, and two threads that ask at once only find the same answer twice.
std::atomic<CompressFunction> fastestKnown { nullptr };
#endif

// The fastest compression this processor runs, asked once.
CompressFunction FastestCompression()
{
#ifdef TARNWICK_SHA_NI
    CompressFunction fastest = fastestKnown.load(std::memory_order_relaxed);
    if (!fastest) {
        fastest = ProcessorHasShaNi() ? CompressShaNi : CompressPortable;
        fastestKnown.store(fastest, std::memory_order_relaxed);
    }
    return fastest;
#else
    return CompressPortable;
#endif
}

std::atomic<bool> portableOnly { false };

} // namespace

bool Sha256::UsePortableCompression(bool portable)
{
    portableOnly.store(portable, std::memory_order_relaxed);
    return FastestCompression() != CompressPortable;
}

void Sha256::Compress(const unsigned char* blocks, std::size_t count)
{
    const CompressFunction compress
        = portableOnly.load(std::memory_order_relaxed) ? CompressPortable : FastestCompression();
    compress(m_state.data(), blocks, count);
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
        Compress(m_block.data(), 1);
        m_blockUsed = 0;
    }
    // Whole blocks straight from the caller's buffer, without a copy, in one call.
    const std::size_t wholeBlocks = size / m_block.size();
    if (wholeBlocks > 0) {
        Compress(bytes, wholeBlocks);
        bytes += wholeBlocks * m_block.size();
        size -= wholeBlocks * m_block.size();
    }
    std::memcpy(m_block.data(), bytes, size);
    m_blockUsed = size;
}

Sha256Digest Sha256::Digest()
{
    // Padding: a 1 bit, zeros up to 56 bytes into a block, then the length in bits, big-endian.
    const std::uint64_t bits = m_length * 8;
    m_block[m_blockUsed++] = 0x80;
    if (m_blockUsed > 56) {
        std::memset(m_block.data() + m_blockUsed, 0, m_block.size() - m_blockUsed);
        Compress(m_block.data(), 1);
        m_blockUsed = 0;
    }
    std::memset(m_block.data() + m_blockUsed, 0, 56 - m_blockUsed);
    for (int i = 0; i < 8; ++i)
        m_block[56 + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    Compress(m_block.data(), 1);

    Sha256Digest digest;
    for (std::size_t i = 0; i < m_state.size(); ++i)
        for (std::size_t byte = 0; byte < 4; ++byte)
            digest[4 * i + byte] = static_cast<unsigned char>(m_state[i] >> (24 - 8 * byte));

    m_state = initialState;
    m_blockUsed = 0;
    m_length = 0;
    return digest;
}

std::string Sha256::HexDigest()
{
    std::string digest;
    HexDigest(digest);
    return digest;
}

void Sha256::HexDigest(std::string& digest)
{
    static constexpr char hex[] = "0123456789abcdef";
    const Sha256Digest bytes = Digest();
    digest.resize(64);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        digest[2 * i] = hex[bytes[i] >> 4];
        digest[2 * i + 1] = hex[bytes[i] & 0xF];
    }
}

std::string DigestHex(const Sha256Digest& digest, std::size_t bytes)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * bytes);
    for (std::size_t i = 0; i < bytes && i < digest.size(); ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 0xF];
    }
    return out;
}

std::string Sha256Hex(std::string_view bytes)
{
    Sha256 hash;
    hash.Update(bytes);
    return hash.HexDigest();
}
