#include "cli/log/LineFinisher.h"
#include "cli/log/Sha256.h"
#include "platform/MachineChanges.h"

#include "RandomBytes.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

// Hands over the line of a copy to name, as the install does: from one event whose texts are
// written again for each copy while the worker may still be making the line of the one before.
void Finish(LineFinisher& finisher, const std::string& name, std::string backup = {})
{
    static FileCopiedEvent copy;
    copy.time = {};
    copy.from = "from";
    copy.to = name;
    copy.bytes = name.size();
    copy.backup = std::move(backup);
    finisher.Finish(copy);
}

// The line of what the finisher hands back.
std::string LineOf(const FileCopiedEvent& copy)
{
    return copy.Line().Text();
}

std::string Expected(const std::string& name, const std::string& digest, const std::string& backup = {})
{
    std::string text = "{\"event\":\"file-copied\",\"time\":\"1970-01-01T00:00:00.000Z\",\"from\":\"from\","
                       "\"to\":\""
        + name + "\",\"bytes\":" + std::to_string(name.size())
        + ",\"replaced\":false,\"sha256\":" + (digest.empty() ? "null" : "\"" + digest + "\"");
    if (!backup.empty())
        text += ",\"backup\":\"" + backup + "\"";
    return text + "}";
}

// Each case runs with the worker thread and without it: the lines must not tell them apart.
class LineFinisherTest : public testing::TestWithParam<bool> {
protected:
    std::vector<std::string> m_lines; // the worker's until Settle
    LineFinisher m_finisher { [this](const FileCopiedEvent& copy) { m_lines.push_back(LineOf(copy)); },
        GetParam() };
};

// The digest the install log records is taken while the platform copies; it must be the digest of
// the copy as it lies on disk, whatever the size (blocks larger than the hand-over go in pieces),
// and the copy must be whole.
TEST_P(LineFinisherTest, RecordsTheDigestOfEachCopyOnDisk)
{
    const TempFolder folder;
    MachineChanges platform;
    std::vector<std::string> expected;
    for (const std::size_t size : { 0u, 1u, 4500u, 65535u, 65536u, 65537u, 3u * 65536u + 17u }) {
        const std::string bytes = RandomBytes(size, static_cast<unsigned>(size) + 3);
        const std::string name = "to" + std::to_string(size) + ".bin";
        folder.Write("from.bin", bytes);
        m_finisher.Settle(); // the next change waits for the line before it
        ASSERT_TRUE(platform.CopyFileSeeing(folder.Path("from.bin"), folder.Path(name), m_finisher));
        Finish(m_finisher, name);
        EXPECT_EQ(bytes, folder.Read(name)) << size << " bytes";
        expected.push_back(Expected(name, Sha256Hex(bytes)));
    }
    m_finisher.Settle();
    EXPECT_EQ(expected, m_lines);
}

TEST_P(LineFinisherTest, AFailedCopyFailsAsCopyFileDoesAndLeavesNoBytesBehind)
{
    const TempFolder folder;
    MachineChanges platform;
    m_finisher.Take("stale", 5); // as if a copy had failed half-way
    SetLastError(0);
    EXPECT_FALSE(platform.CopyFileSeeing(folder.Path("missing.bin"), folder.Path("to.bin"), m_finisher));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(std::filesystem::exists(folder.Host("to.bin")));
    m_finisher.Drop();

    folder.Write("from.bin", "abc");
    ASSERT_TRUE(platform.CopyFileSeeing(folder.Path("from.bin"), folder.Path("to.bin"), m_finisher));
    Finish(m_finisher, "to.bin");
    m_finisher.Settle();
    EXPECT_EQ(std::vector<std::string> { Expected("to.bin", Sha256Hex("abc")) }, m_lines);
}

// A copy whose bytes could not all be seen gets no digest rather than a wrong one, and only that
// copy; the backup goes after the digest, as undo reads it.
TEST_P(LineFinisherTest, LostBytesAndBackupsShowInTheirOwnLineOnly)
{
    m_finisher.Take("ab", 2);
    m_finisher.Lost();
    Finish(m_finisher, "a", "C:\\backup\\00001-a");
    m_finisher.Take("abc", 3);
    Finish(m_finisher, "b");
    Finish(m_finisher, "empty");
    m_finisher.Settle();
    EXPECT_EQ((std::vector<std::string> { Expected("a", "", "C:\\\\backup\\\\00001-a"),
                  Expected("b", Sha256Hex("abc")), Expected("empty", Sha256Hex("")) }),
        m_lines);
}

// Pieces of any size, handed over in blocks of their own size: what crosses a block is digested in
// order, whether it comes with the line or before it.
TEST_P(LineFinisherTest, PiecesThatStraddleBlocksAreDigestedInOrder)
{
    const std::string bytes = RandomBytes(1 + 65535 + 65537 + 40000 + 200000, 11);
    std::size_t at = 0;
    for (const std::size_t piece : { 1u, 65535u, 65537u, 40000u, 200000u }) {
        m_finisher.Take(bytes.data() + at, piece);
        at += piece;
    }
    Finish(m_finisher, "big");
    m_finisher.Take(bytes.data(), 65536);
    Finish(m_finisher, "block");
    m_finisher.Settle();
    EXPECT_EQ((std::vector<std::string> {
                  Expected("big", Sha256Hex(bytes)), Expected("block", Sha256Hex(bytes.substr(0, 65536))) }),
        m_lines);
}

// Many short copies, as a large tree gives: Settle always finds every line written before it, in
// order, and the last one is written when the finisher goes away.
TEST_P(LineFinisherTest, EveryLineIsWrittenInOrderBeforeSettleReturns)
{
    std::vector<std::string> expected;
    {
        LineFinisher finisher(
            [&](const FileCopiedEvent& copy) { m_lines.push_back(LineOf(copy)); }, GetParam());
        for (int i = 0; i < 5000; ++i) {
            const std::string bytes = RandomBytes(static_cast<std::size_t>(i % 97), static_cast<unsigned>(i));
            finisher.Settle();
            ASSERT_EQ(expected.size(), m_lines.size()) << "after " << i << " lines";
            finisher.Take(bytes.data(), bytes.size() / 2);
            finisher.Take(bytes.data() + bytes.size() / 2, bytes.size() - bytes.size() / 2);
            Finish(finisher, std::to_string(i));
            expected.push_back(Expected(std::to_string(i), Sha256Hex(bytes)));
        }
    }
    EXPECT_EQ(expected, m_lines);
}

// A whole block handed over goes to the worker at once, and the line that follows at once usually
// finds it still digesting: that line is written once, after those bytes, with its own backup and
// lost mark, and before the next change may start.
TEST_P(LineFinisherTest, ALineThatComesWhileItsBytesAreDigestedFollowsThem)
{
    std::vector<std::string> expected;
    const std::string bytes = RandomBytes(4 * 65536 + 5, 21);
    for (int i = 0; i < 400; ++i) {
        const std::size_t size = 65536u * static_cast<std::size_t>(1 + i % 4) + (i % 5 == 0 ? 5 : 0);
        const std::string name = std::to_string(i);
        const std::string backup = i % 3 == 0 ? "C:\\b\\" + name : std::string();
        m_finisher.BeforeCopy();
        ASSERT_EQ(expected.size(), m_lines.size()) << "before copy " << i;
        m_finisher.Take(bytes.data(), size);
        if (i % 7 == 0)
            m_finisher.Lost();
        Finish(m_finisher, name, backup);
        const std::string digest = i % 7 == 0 ? std::string() : Sha256Hex(bytes.substr(0, size));
        expected.push_back(Expected(name, digest, backup.empty() ? "" : "C:\\\\b\\\\" + name));
    }
    m_finisher.Settle();
    EXPECT_EQ(expected, m_lines);
}

// Between an install's phases the worker goes to sleep, and a slow log (a network share, say) sends
// this thread to sleep in Settle: each must be woken by the next change of state, never missed.
TEST_P(LineFinisherTest, SleepersOnEitherSideAreWoken)
{
    std::vector<std::string> expected;
    {
        LineFinisher finisher(
            [&](const FileCopiedEvent& copy) {
                if (m_lines.size() % 2 == 1)
                    std::this_thread::sleep_for(std::chrono::milliseconds(3));
                m_lines.push_back(LineOf(copy));
            },
            GetParam());
        for (int i = 0; i < 150; ++i) {
            if (i % 3 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            finisher.BeforeCopy();
            ASSERT_EQ(expected.size(), m_lines.size()) << "after " << i << " lines";
            finisher.Take("abc", 3);
            Finish(finisher, std::to_string(i));
            expected.push_back(Expected(std::to_string(i), Sha256Hex("abc")));
        }
        if (GetParam())
            std::this_thread::sleep_for(std::chrono::milliseconds(5)); // the worker sleeps at the end
    }
    EXPECT_EQ(expected, m_lines);
}

INSTANTIATE_TEST_SUITE_P(Threads, LineFinisherTest, testing::Values(false, true),
    [](const testing::TestParamInfo<bool>& info) { return info.param ? "Worker" : "Inline"; });

} // namespace
