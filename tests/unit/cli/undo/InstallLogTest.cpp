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

// An intent is the change itself only while nothing says how it ended: its own line concludes
// it, a failed copy leaves it in flight (the copy may have begun), and a log that stops after it,
// or goes on to another change, has it in flight too.
TEST(InstallLog, AnIntentIsAChangeInFlightUntilItsOwnLineFollows)
{
    const std::string start = kLines[0];
    const std::string folderIntent
        = R"({"event":"intent","time":"2024-06-11T10:00:00.001Z","change":"folder-created","path":"C:\\Tags"})";
    const std::string folderMade
        = R"({"event":"folder-created","time":"2024-06-11T10:00:00.001Z","path":"C:\\Tags"})";
    const std::string copyIntent
        = R"({"event":"intent","time":"2024-06-11T10:00:00.002Z","change":"file-copied","to":"C:\\Tags\\a.cfm","replaced":true,"backup":"C:\\B\\00001-a.cfm","backupSha256":"ab"})";
    const std::string copyFailed
        = R"({"event":"copy-failed","time":"2024-06-11T10:00:00.003Z","from":"a","to":"C:\\Tags\\a.cfm","error":112})";
    const std::string valueIntent
        = R"({"event":"intent","time":"2024-06-11T10:00:00.004Z","change":"value-written","key":"HKEY_LOCAL_MACHINE\\K","name":"N","old":null,"new":"v"})";
    const std::string valueRefused
        = R"({"event":"value-written","time":"2024-06-11T10:00:00.004Z","key":"HKEY_LOCAL_MACHINE\\K","name":"N","old":null,"new":"v","result":5})";
    const std::string keyIntent
        = R"({"event":"intent","time":"2024-06-11T10:00:00.005Z","change":"key-created","key":"HKEY_LOCAL_MACHINE\\K\\S"})";
    const TempFolder folder;

    Outcome outcome = Read(folder, SealedText({ start, folderIntent, folderMade, copyIntent, copyFailed }));
    ASSERT_TRUE(outcome.read) << outcome.error;
    ASSERT_EQ(outcome.log.changes.size(), 2u);
    EXPECT_FALSE(outcome.log.changes[0].inFlight);
    EXPECT_EQ(outcome.log.changes[0].line, 3u); // the folder's own line
    const Change& copy = outcome.log.changes[1];
    EXPECT_TRUE(copy.inFlight);
    EXPECT_EQ(copy.kind, LogKind::FileCopied);
    EXPECT_EQ(copy.path, "C:\\Tags\\a.cfm");
    EXPECT_TRUE(copy.replaced);
    EXPECT_EQ(copy.backup, "C:\\B\\00001-a.cfm");
    EXPECT_EQ(copy.backupSha256, "ab");
    EXPECT_EQ(copy.line, 4u);

    // A write the registry refused changed nothing; the key's intent is the last line.
    outcome = Read(folder, SealedText({ start, valueIntent, valueRefused, keyIntent }));
    ASSERT_TRUE(outcome.read) << outcome.error;
    ASSERT_EQ(outcome.log.changes.size(), 1u);
    EXPECT_TRUE(outcome.log.changes[0].inFlight);
    EXPECT_EQ(outcome.log.changes[0].kind, LogKind::KeyCreated);
    EXPECT_EQ(outcome.log.changes[0].key, "HKEY_LOCAL_MACHINE\\K\\S");

    // An intent followed by another change's intent: the first never got its line.
    outcome = Read(folder, SealedText({ start, valueIntent, keyIntent }));
    ASSERT_TRUE(outcome.read) << outcome.error;
    ASSERT_EQ(outcome.log.changes.size(), 2u);
    EXPECT_EQ(outcome.log.changes[0].kind, LogKind::ValueWritten);
    EXPECT_EQ(outcome.log.changes[0].newData, "v");
    EXPECT_FALSE(outcome.log.changes[0].oldData.has_value());
    EXPECT_TRUE(outcome.log.changes[1].inFlight);
}

TEST(InstallLog, AnIntentOfAnUnknownChangeIsRefused)
{
    const TempFolder folder;
    const Outcome outcome = Read(folder,
        SealedText({ kLines[0],
            R"({"event":"intent","time":"2024-06-11T10:00:00.001Z","change":"file-deleted","path":"C:\\x"})" }));
    EXPECT_FALSE(outcome.read);
    EXPECT_NE(outcome.error.find(":2: "), std::string::npos) << outcome.error;
}

} // namespace

// What follows a rollback line is the run taking its changes back: none of it is a change of the
// install, and of the changes before it only those the rollback kept are left to take back.
TEST(InstallLog, AfterARollbackOnlyWhatItKeptIsTheInstallsToTakeBack)
{
    const std::string rollback = R"({"event":"rollback","time":"2024-06-11T10:00:00.004Z"})";
    const std::string restored
        = R"({"event":"value-written","time":"2024-06-11T10:00:00.005Z","key":"HKEY_LOCAL_MACHINE\\K","name":"N","old":"v","new":"w","result":0})";
    const std::string keptFile
        = R"({"event":"kept","time":"2024-06-11T10:00:00.006Z","path":"C:\\Tags\\a.cfm","change":"file-copied","line":0,"reason":"cannot be deleted"})";
    const std::string end = R"({"event":"end","time":"2024-06-11T10:00:00.007Z","exit":1603})";
    const TempFolder folder;

    Outcome outcome = Read(folder, SealedText({ kLines[0], kLines[1], kLines[2], rollback, restored, end }));
    ASSERT_TRUE(outcome.read) << outcome.error;
    EXPECT_TRUE(outcome.log.changes.empty());

    outcome = Read(folder, SealedText({ kLines[0], kLines[1], kLines[2], rollback, restored, keptFile, end }));
    ASSERT_TRUE(outcome.read) << outcome.error;
    ASSERT_EQ(outcome.log.changes.size(), 1u);
    EXPECT_EQ(outcome.log.changes[0].path, "C:\\Tags\\a.cfm");
    EXPECT_EQ(outcome.log.changes[0].line, 3u);
}
