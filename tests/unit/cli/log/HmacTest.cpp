#include "cli/log/Hmac.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(std::size_t count, unsigned char value)
{
    return std::string(count, static_cast<char>(value));
}

struct Vector {
    const char* name;
    std::string key;
    std::string data;
    const char* tag; // hex; case 5's is cut to 128 bits, as published
};

// RFC 4231, section 4: HMAC-SHA-256 test cases 1 to 7.
std::vector<Vector> Rfc4231()
{
    std::string counting;
    for (int i = 1; i <= 25; ++i)
        counting += static_cast<char>(i);
    return {
        { "1", Bytes(20, 0x0b), "Hi There",
            "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7" },
        { "2: a key shorter than the tag", "Jefe", "what do ya want for nothing?",
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843" },
        { "3", Bytes(20, 0xaa), Bytes(50, 0xdd),
            "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe" },
        { "4", counting, Bytes(50, 0xcd),
            "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b" },
        { "5: truncated", Bytes(20, 0x0c), "Test With Truncation", "a3b6167473100ee06e0c796c2955552b" },
        { "6: a key larger than a block", Bytes(131, 0xaa),
            "Test Using Larger Than Block-Size Key - Hash Key First",
            "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54" },
        { "7: a key and data larger than a block", Bytes(131, 0xaa),
            "This is a test using a larger than block-size key and a larger than block-size data. The key "
            "needs "
            "to be hashed before being used by the HMAC algorithm.",
            "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2" },
    };
}

std::string Raw(const Sha256Digest& digest, std::size_t bytes = 32)
{
    return std::string(reinterpret_cast<const char*>(digest.data()), bytes);
}

// Each case on both compressions: the processor's fastest and the plain C++ one.
class HmacTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { (void)Sha256::UsePortableCompression(GetParam()); }
    void TearDown() override { (void)Sha256::UsePortableCompression(false); }
};

INSTANTIATE_TEST_SUITE_P(Compression, HmacTest, testing::Bool(),
    [](const testing::TestParamInfo<bool>& info) { return info.param ? "Portable" : "Fastest"; });

TEST_P(HmacTest, PublishedVectorsWholeAndInPieces)
{
    for (const Vector& v : Rfc4231()) {
        SCOPED_TRACE(v.name);
        const std::size_t bytes = std::string_view(v.tag).size() / 2;
        Hmac hmac(v.key);
        EXPECT_EQ(v.tag, DigestHex(hmac.Sign(v.data), bytes));
        // One byte at a time, then the same object again for the next message.
        for (int round = 0; round < 2; ++round) {
            for (char c : v.data)
                hmac.Update(std::string_view(&c, 1));
            EXPECT_EQ(v.tag, DigestHex(hmac.Finish(), bytes)) << "round " << round;
        }
        EXPECT_TRUE(hmac.Verify(v.data, Raw(hmac.Sign(v.data), bytes)));
    }
}

// A key of exactly one block is used as it is; one byte more and it is hashed first.
TEST_P(HmacTest, KeysAroundTheBlockSize)
{
    const std::string line = "{\"event\":\"start\"}";
    EXPECT_EQ("a20f1e6811cf181bbc6bb56220b7c2f4bcf41260e5f095168e39adaf2fef4cdb",
        DigestHex(Hmac(std::string(64, 'k')).Sign(line)));
    EXPECT_EQ("9eae71173e092ea06655e49c22f2cab12e7e6893bf673f6fcdfcf843b9e805f2",
        DigestHex(Hmac(std::string(65, 'k')).Sign(line)));
    EXPECT_EQ(
        "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad", DigestHex(Hmac("").Sign("")));
}

TEST(Hmac, VerifyTakesOnlyTheTagOfThatMessageUnderThatKey)
{
    const Hmac hmac("machine key");
    const std::string line = "{\"event\":\"value-written\"}";
    const std::string tag = Raw(hmac.Sign(line));
    EXPECT_TRUE(hmac.Verify(line, tag));
    EXPECT_TRUE(hmac.Verify(line, tag.substr(0, 16)));
    EXPECT_FALSE(hmac.Verify(line, tag.substr(0, 15))) << "too short to mean anything";
    EXPECT_FALSE(hmac.Verify(line, tag + "x"));
    EXPECT_FALSE(hmac.Verify(line, ""));
    for (std::size_t i = 0; i < tag.size(); i += 7) {
        std::string flipped = tag;
        flipped[i] = static_cast<char>(flipped[i] ^ 0x01);
        EXPECT_FALSE(hmac.Verify(line, flipped)) << "byte " << i;
    }
    EXPECT_FALSE(hmac.Verify(line + " ", tag));
    EXPECT_FALSE(Hmac("machine kez").Verify(line, tag));
}

} // namespace
