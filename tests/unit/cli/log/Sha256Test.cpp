#include "cli/log/Sha256.h"
#include "cli/log/FileDigest.h"

#include "RandomBytes.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string emptyDigest = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const std::string abcDigest = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

// The digest tests run on each compression: the one this processor runs fastest, and the plain
// C++ one that other processors use.
class Sha256Test : public testing::TestWithParam<bool> {
protected:
    void SetUp() override { (void)Sha256::UsePortableCompression(GetParam()); }
    void TearDown() override { (void)Sha256::UsePortableCompression(false); }
};

INSTANTIATE_TEST_SUITE_P(Compression, Sha256Test, testing::Bool(),
    [](const testing::TestParamInfo<bool>& info) { return info.param ? "Portable" : "Fastest"; });

TEST_P(Sha256Test, PublishedVectors)
{
    EXPECT_EQ(emptyDigest, Sha256Hex(""));
    EXPECT_EQ(abcDigest, Sha256Hex("abc"));
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
        Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));

    // A million 'a's, in pieces that straddle block edges in every way.
    const std::string as(10000, 'a');
    const std::size_t pieces[] = { 1, 3, 55, 64, 65, 127, 4096, 9999 };
    Sha256 hash;
    std::size_t left = 1000000;
    for (std::size_t i = 0; left > 0; ++i) {
        const std::size_t piece = std::min(left, pieces[i % std::size(pieces)]);
        hash.Update(as.data(), piece);
        left -= piece;
    }
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", hash.HexDigest());
}

// Where the length field fits in the last block and where it needs one more.
TEST_P(Sha256Test, PaddingAroundBlockEdges)
{
    const struct {
        std::size_t length;
        const char* digest;
    } cases[] = {
        { 55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318" },
        { 56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a" },
        { 63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34" },
        { 64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb" },
        { 65, "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0" },
        { 119, "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb" },
        { 120, "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.digest, Sha256Hex(std::string(c.length, 'a'))) << c.length << " bytes";
}

// However the bytes arrive, the digest is the same: all at once, byte by byte, or split anywhere.
TEST_P(Sha256Test, PiecesGiveTheSameDigestAsTheWhole)
{
    for (std::size_t length = 0; length <= 200; ++length) {
        const std::string bytes = RandomBytes(length, static_cast<unsigned>(length));
        const std::string whole = Sha256Hex(bytes);

        Sha256 byByte;
        for (const char c : bytes)
            byByte.Update(&c, 1);
        EXPECT_EQ(whole, byByte.HexDigest()) << length << " bytes one at a time";

        for (const std::size_t split : { std::size_t { 1 }, length / 2, length - 1, std::size_t { 64 } }) {
            if (split > length)
                continue;
            Sha256 twoParts;
            twoParts.Update(bytes.data(), split);
            twoParts.Update(nullptr, 0);
            twoParts.Update(bytes.data() + split, length - split);
            EXPECT_EQ(whole, twoParts.HexDigest()) << length << " bytes split at " << split;
        }
    }
}

TEST_P(Sha256Test, StartsOverAfterEachDigest)
{
    Sha256 hash;
    hash.Update(std::string(70, 'x'));
    (void)hash.HexDigest();
    hash.Update("abc");
    EXPECT_EQ(abcDigest, hash.HexDigest());
    EXPECT_EQ(emptyDigest, hash.HexDigest());
}

// The digest of bytes on the portable or the fastest compression, fed in the pieces that
// pieceSeed picks: from single bytes to runs of many blocks, at any alignment.
std::string DigestOn(bool portable, const std::string& bytes, unsigned pieceSeed)
{
    (void)Sha256::UsePortableCompression(portable);
    std::mt19937 generator(pieceSeed);
    std::uniform_int_distribution<std::size_t> pieceSize(0, bytes.size() / 3 + 70);
    Sha256 hash;
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t piece = std::min(bytes.size() - done, pieceSize(generator));
        hash.Update(bytes.data() + done, piece);
        done += piece;
    }
    return hash.HexDigest();
}

TEST(Sha256Compression, PortableAndFastestAgree)
{
    struct RestoreFastest {
        ~RestoreFastest() { (void)Sha256::UsePortableCompression(false); }
    } restore;
    const bool hasFaster = Sha256::UsePortableCompression(false);

    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 300; ++length)
        lengths.push_back(length);
    for (const std::size_t length : { 4096u + 1u, 3u * 65536u + 17u, (1u << 20) + 5u })
        lengths.push_back(length);

    for (const std::size_t length : lengths) {
        const std::string bytes = RandomBytes(length, static_cast<unsigned>(length) + 1000);
        const std::string portable = DigestOn(true, bytes, 1);
        EXPECT_EQ(portable, DigestOn(false, bytes, 1)) << length << " bytes";
        EXPECT_EQ(portable, DigestOn(false, bytes, 2)) << length << " bytes, other pieces";
        EXPECT_EQ(portable, Sha256Hex(bytes)) << length << " bytes at once";
    }
    if (!hasFaster)
        GTEST_SKIP() << "this processor has no SHA instructions: the portable compression was only "
                        "compared with itself";
}

TEST(Sha256OfFile, EmptyWhenThereIsNoFileToRead)
{
    const TempFolder folder;
    folder.Write("sub\\present.txt", "abc");
    EXPECT_EQ("", Sha256OfFile(folder.Path("missing.txt")));
    EXPECT_EQ("", Sha256OfFile(folder.Path("nowhere\\missing.txt")));
    EXPECT_EQ("", Sha256OfFile(folder.Path("sub"))) << "a folder is no file";
    EXPECT_EQ("", Sha256OfFile(""));
    EXPECT_EQ(abcDigest, Sha256OfFile(folder.Path("sub\\present.txt")));
}

// Files that end before, at and after the 64 KiB read.
TEST(Sha256OfFile, HashesTheWholeFileAcrossReads)
{
    const TempFolder folder;
    for (const std::size_t size : { 0u, 65535u, 65536u, 65537u, 3u * 65536u + 17u }) {
        const std::string bytes = RandomBytes(size, 7);
        folder.Write("data.bin", bytes);
        EXPECT_EQ(Sha256Hex(bytes), Sha256OfFile(folder.Path("data.bin"))) << size << " bytes";
    }
}

// The log's digests go into the room of the one before: all of it is overwritten, whatever it held.
TEST(Sha256, DigestIntoATextReplacesItAndStartsOver)
{
    Sha256 hash;
    std::string digest(100, 'x');
    hash.Update("abc");
    hash.HexDigest(digest);
    EXPECT_EQ(Sha256Hex("abc"), digest);
    digest = "short";
    hash.HexDigest(digest);
    EXPECT_EQ(Sha256Hex(""), digest);
}

} // namespace
