#include "cli/log/LogEvents.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::chrono_literals;

const LogTime kTime = LogTime {} + 1234ms;
const std::string kHead = "\"time\":\"1970-01-01T00:00:01.234Z\"";

template<class Event> std::string Text(Event event)
{
    event.time = kTime;
    return event.Line().Text();
}

std::string Expected(const std::string& kind, const std::string& fields)
{
    return "{\"event\":\"" + kind + "\"," + kHead + "," + fields + "}";
}

// The lines are read by undo, by people's scripts and by the tests of whole runs: their bytes,
// field order and which fields are left out stay as they are.
TEST(LogEvents, InstallLinesKeepTheirBytes)
{
    InstallStartEvent start;
    start.version = "1.0";
    start.command = "install";
    start.computer = "WEB07";
    start.package = "C:\\pkg";
    start.title = "T\xE9";
    start.answers = { { "AcceptLicense", "yes", "--set" }, { "Dir1", "C:\\x", "default" } };
    EXPECT_EQ(
        Expected("start",
            "\"program\":\"tarnwick-cli\",\"version\":\"1.0\",\"command\":\"install\",\"computer\":"
            "\"WEB07\",\"package\":\"C:\\\\pkg\",\"title\":\"T\xC3\xA9\",\"answers\":{\"AcceptLicense\":"
            "{\"value\":\"yes\",\"source\":\"--set\"},\"Dir1\":{\"value\":\"C:\\\\x\",\"source\":\"default\"}"
            "}"),
        Text(start));
    start.answers.clear();
    EXPECT_NE(std::string::npos, Text(start).find("\"answers\":{}}"));

    EXPECT_EQ(Expected("message", "\"text\":\"a\\nb\""), Text(MessageEvent { .text = "a\nb" }));
    EXPECT_EQ(Expected("message", "\"text\":\"w\",\"warning\":true"),
        Text(MessageEvent { .text = "w", .warning = true }));
    EXPECT_EQ(Expected("answer", "\"question\":\"q?\",\"answer\":\"yes\""),
        Text(AnswerEvent { .question = "q?", .yes = true }));
    EXPECT_EQ(
        Expected("answer", "\"question\":\"q?\",\"answer\":\"no\""), Text(AnswerEvent { .question = "q?" }));
    EXPECT_EQ(Expected("option", "\"number\":2,\"caption\":\"Copy\",\"type\":\"\",\"result\":\"failed\""),
        Text(OptionEvent { .number = 2, .caption = "Copy" }));
    EXPECT_EQ(Expected("option", "\"number\":1,\"caption\":\"c\",\"type\":\"ODBC\",\"result\":\"done\""),
        Text(OptionEvent { .number = 1, .caption = "c", .type = "ODBC", .done = true }));
    EXPECT_EQ(
        Expected("folder-created", "\"path\":\"C:\\\\a\""), Text(FolderCreatedEvent { .path = "C:\\a" }));

    EXPECT_EQ(Expected("copy-failed", "\"from\":\"f\",\"to\":\"t\",\"error\":3"),
        Text(CopyFailedEvent { .from = "f", .to = "t", .error = 3 }));
    EXPECT_EQ(Expected("copy-failed", "\"from\":\"f\",\"to\":\"t\",\"error\":5,\"backup\":false"),
        Text(CopyFailedEvent { .from = "f", .to = "t", .error = 5, .backupFailed = true }));
    EXPECT_EQ(Expected("key-created", "\"key\":\"HKEY_LOCAL_MACHINE\\\\S\",\"result\":5"),
        Text(KeyCreatedEvent { .key = "HKEY_LOCAL_MACHINE\\S", .result = 5 }));

    InstallEndEvent end { .exit = 1603 };
    end.counts = { 1, 2, 1ull << 40, 3, 4, 5, 6, 7, 8 };
    EXPECT_EQ(Expected("end",
                  "\"exit\":1603,\"counts\":{\"folders\":1,\"files\":2,\"bytes\":1099511627776,\"keys\":3,"
                  "\"values\":4,\"failedCopies\":5,\"failedWrites\":6,\"commands\":7,\"failedCommands\":8}"),
        Text(end));

    // A rollback says whether it took back everything, or what it could not.
    const std::string counts = "\"counts\":{\"folders\":0,\"files\":0,\"bytes\":0,\"keys\":0,\"values\":0,"
                               "\"failedCopies\":0,\"failedWrites\":0,\"commands\":0,\"failedCommands\":0}";
    EXPECT_EQ(Expected("end", "\"exit\":1603," + counts + ",\"rolledBack\":true"),
        Text(InstallEndEvent { .exit = 1603, .rolledBack = true }));
    EXPECT_EQ(Expected("end",
                  "\"exit\":1603," + counts
                      + ",\"rolledBack\":false,\"notRolledBack\":[\"C:\\\\a\",\"HKEY_LOCAL_MACHINE\\\\S \\\"v\\\"\"]"),
        Text(InstallEndEvent {
            .exit = 1603, .rolledBack = true, .notRolledBack = { "C:\\a", "HKEY_LOCAL_MACHINE\\S \"v\"" } }));
    EXPECT_EQ("{\"event\":\"rollback\"," + kHead + "}", Text(RollbackEvent {}));
}

TEST(LogEvents, ACopysDigestIsLeftOutNullOrWritten)
{
    FileCopiedEvent copy { .from = "src\\a", .to = "C:\\a", .bytes = 3 };
    const std::string start = "\"from\":\"src\\\\a\",\"to\":\"C:\\\\a\",\"bytes\":3,";
    EXPECT_EQ(Expected("file-copied", start + "\"replaced\":false"), Text(copy));
    copy.digest = Digest::Lost;
    copy.sha256 = "ignored";
    EXPECT_EQ(Expected("file-copied", start + "\"replaced\":false,\"sha256\":null"), Text(copy));
    copy.digest = Digest::Taken;
    copy.sha256 = "ab";
    copy.replaced = true;
    copy.backup = "C:\\b\\00001-a";
    EXPECT_EQ(Expected("file-copied",
                  start + "\"replaced\":true,\"sha256\":\"ab\",\"backup\":\"C:\\\\b\\\\00001-a\""),
        Text(copy));
    copy.digest = Digest::NotTaken; // a plan's line names the backup an install would keep
    EXPECT_EQ(
        Expected("file-copied", start + "\"replaced\":true,\"backup\":\"C:\\\\b\\\\00001-a\""), Text(copy));
}

TEST(LogEvents, CommandsAndValuesWriteNullForWhatIsNot)
{
    EXPECT_EQ(
        Expected("command", "\"command\":\"net\",\"exit\":null"), Text(CommandEvent { .command = "net" }));
    EXPECT_EQ(Expected("command", "\"command\":\"net\",\"exit\":null,\"error\":2"),
        Text(CommandEvent { .command = "net", .error = 2u }));
    EXPECT_EQ(Expected("command", "\"command\":\"net\",\"exit\":259"),
        Text(CommandEvent { .command = "net", .exit = 259u }));

    ValueWrittenEvent value { .key = "K", .name = "N", .newData = "new" };
    EXPECT_EQ(
        Expected("value-written", "\"key\":\"K\",\"name\":\"N\",\"old\":null,\"new\":\"new\",\"result\":0"),
        Text(value));
    value.old = "";
    value.entryRemoved = "C:\\e.jar";
    value.result = -2;
    EXPECT_EQ(
        Expected("value-written",
            "\"key\":\"K\",\"name\":\"N\",\"old\":\"\",\"new\":\"new\",\"entryRemoved\":\"C:\\\\e.jar\","
            "\"result\":-2"),
        Text(value));
}

TEST(LogEvents, UndoLinesKeepTheirBytes)
{
    EXPECT_EQ(Expected("start",
                  "\"program\":\"tarnwick-cli\",\"version\":\"1.0\",\"command\":\"undo\",\"computer\":\"A\","
                  "\"log\":\"l.jsonl\",\"installed\":\"x\",\"installedOn\":\"B\""),
        Text(UndoStartEvent {
            .version = "1.0", .computer = "A", .log = "l.jsonl", .installed = "x", .installedOn = "B" }));
    EXPECT_EQ(Expected("end", "\"exit\":0,\"counts\":{\"undone\":1,\"kept\":2,\"asBefore\":3}"),
        Text(UndoEndEvent { .counts = { 1, 2, 3 } }));
    EXPECT_EQ(Expected("value-deleted", "\"key\":\"K\",\"name\":\"N\",\"old\":\"o\",\"result\":0"),
        Text(ValueDeletedEvent { .key = "K", .name = "N", .old = "o" }));
    EXPECT_EQ(Expected("key-deleted", "\"key\":\"K\",\"result\":0"), Text(KeyDeletedEvent { .key = "K" }));
    EXPECT_EQ(Expected("file-deleted", "\"path\":\"p\",\"bytes\":4,\"sha256\":\"ab\""),
        Text(FileDeletedEvent { .path = "p", .bytes = 4, .sha256 = "ab" }));
    EXPECT_EQ(Expected("file-restored", "\"path\":\"p\",\"from\":\"b\""),
        Text(FileRestoredEvent { .path = "p", .from = "b" }));
    EXPECT_EQ(Expected("folder-removed", "\"path\":\"p\""), Text(FolderRemovedEvent { .path = "p" }));
}

// A kept change's fields come in one order, whichever of them undo set.
TEST(LogEvents, KeptWritesOnlyWhatUndoFound)
{
    EXPECT_EQ(Expected("kept", "\"line\":0,\"reason\":\"r\""), Text(KeptEvent { .reason = "r" }));
    EXPECT_EQ(Expected("kept",
                  "\"key\":\"K\",\"name\":\"\",\"change\":\"value-written\",\"new\":\"n\",\"found\":null,"
                  "\"line\":7,\"reason\":\"changed since the install\""),
        Text(KeptEvent { .key = "K",
            .name = "",
            .change = "value-written",
            .newData = "n",
            .logLine = 7,
            .reason = "changed since the install" }));
    EXPECT_EQ(Expected("kept",
                  "\"key\":\"K\",\"change\":\"key-created\",\"subkeys\":1,\"values\":2,\"line\":3,\"reason\":"
                  "\"r\""),
        Text(KeptEvent {
            .key = "K", .change = "key-created", .subkeys = 1, .values = 2, .logLine = 3, .reason = "r" }));
    // found goes only with new.
    EXPECT_EQ(Expected("kept", "\"path\":\"p\",\"line\":1,\"reason\":\"r\""),
        Text(KeptEvent { .path = "p", .found = "f", .logLine = 1, .reason = "r" }));
    EXPECT_EQ(Expected("kept",
                  "\"path\":\"p\",\"change\":\"file-copied\",\"bytes\":6,\"sha256\":\"ab\",\"backup\":\"b\","
                  "\"error\":5,\"line\":2,\"reason\":\"r\""),
        Text(KeptEvent { .path = "p",
            .change = "file-copied",
            .bytes = 6,
            .sha256 = "ab",
            .backup = "b",
            .error = 5,
            .logLine = 2,
            .reason = "r" }));
}

TEST(LogEvents, EveryKindHasOneNameThatLeadsBack)
{
    for (unsigned k = 0; k <= static_cast<unsigned>(LogKind::FolderRemoved); ++k) {
        const auto kind = static_cast<LogKind>(k);
        ASSERT_FALSE(KindName(kind).empty()) << k;
        EXPECT_EQ(kind, KindNamed(KindName(kind)));
    }
    EXPECT_FALSE(KindNamed("File-Copied"));
    EXPECT_FALSE(KindNamed(""));
}

} // namespace
