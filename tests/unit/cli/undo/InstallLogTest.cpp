#include "cli/undo/InstallLog.h"

#include "TempFolder.h"
#include "cli/log/LogSeal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kKey(32, '\x21');

const std::vector<std::string> kLines {
    R"({"event":"start","time":"2024-06-11T10:00:00.000Z","command":"install","computer":"WEB07"})",
    R"({"event":"folder-created","time":"2024-06-11T10:00:00.001Z","path":"C:\\Tags"})",
    R"({"event":"file-copied","time":"2024-06-11T10:00:00.002Z","from":"a","to":"C:\\Tags\\a.cfm","bytes":3,"replaced":false})",
    R"({"event":"end","time":"2024-06-11T10:00:00.003Z","exit":0})",
};

std::string SealedText(const std::vector<std::string>& lines, const std::string& key = kKey)
{
    LineSealer sealer(key);
    std::string text;
    for (std::string line : lines) {
        sealer.Seal(line);
        text += line + "\n";
    }
    return text;
}

struct Outcome {
    bool read = false;
    InstallLog log;
    std::string error;
};

Outcome Read(const TempFolder& folder, const std::string& text)
{
    folder.Write("install.jsonl", text);
    Outcome outcome;
    outcome.read = ReadInstallLog(folder.Host("install.jsonl").string(), kKey, outcome.log, outcome.error);
    return outcome;
}

TEST(InstallLog, ASealedLogIsReadAndTheCodeIsNoField)
{
    const TempFolder folder;
    const Outcome outcome = Read(folder, SealedText(kLines));
    ASSERT_TRUE(outcome.read) << outcome.error;
    EXPECT_EQ(outcome.log.computer, "WEB07");
    ASSERT_EQ(outcome.log.changes.size(), 2u);
    EXPECT_EQ(outcome.log.changes[1].path, "C:\\Tags\\a.cfm");
    EXPECT_EQ(outcome.log.changes[1].line, 3u);
}

// The lines are checked before any is read: a line that would read well is refused all the same,
// with the log's name and the line where the chain breaks.
TEST(InstallLog, ALineThatDoesNotVerifyRefusesTheLogAtThatLine)
{
    const TempFolder folder;
    const std::string path = folder.Host("install.jsonl").string();
    std::string edited = SealedText(kLines);
    edited.replace(edited.find("a.cfm"), 5, "b.cfm");
    Outcome outcome = Read(folder, edited);
    EXPECT_FALSE(outcome.read);
    EXPECT_EQ(outcome.error.rfind(path + ":3: the line's code does not match", 0), 0u) << outcome.error;
    EXPECT_TRUE(outcome.log.changes.empty());

    outcome = Read(folder, SealedText(kLines, std::string(32, '\x22')));
    EXPECT_FALSE(outcome.read);
    EXPECT_EQ(outcome.error.rfind(path + ":1: ", 0), 0u) << outcome.error;
    EXPECT_TRUE(outcome.log.computer.empty());

    std::string plain;
    for (const std::string& line : kLines)
        plain += line + "\n";
    outcome = Read(folder, plain);
    EXPECT_EQ(outcome.error, path + ":1: the line carries no code of this program");
}

TEST(InstallLog, ALogCutInsideALineIsReadUpToItsLastWholeLine)
{
    const TempFolder folder;
    const std::string text = SealedText(kLines);
    const std::size_t third = text.find("\n", text.find("\n") + 1) + 1;
    const Outcome outcome = Read(folder, text.substr(0, third + 30));
    ASSERT_TRUE(outcome.read) << outcome.error;
    ASSERT_EQ(outcome.log.changes.size(), 1u);
    EXPECT_EQ(outcome.log.changes[0].path, "C:\\Tags");
}

} // namespace
