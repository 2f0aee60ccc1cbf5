#include "cli/log/LogReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::chrono_literals;

// Times as the log keeps them: to the millisecond.
LogTime At(std::chrono::milliseconds since)
{
    return LogTime {} + since;
}

template<class... Events> std::string LogOf(const Events&... events)
{
    std::string log;
    ((log += events.Line().Text() + "\n"), ...);
    return log;
}

// Reads the next line into a fresh event of the expected one's type and compares.
template<class Event> void ExpectNext(LogReader& reader, const Event& expected)
{
    ASSERT_TRUE(reader.Next()) << reader.Error();
    ASSERT_EQ(Event::kind, reader.Kind());
    Event read;
    ASSERT_TRUE(reader.Read(read)) << reader.Error();
    EXPECT_EQ(expected, read) << expected.Line().Text();
}

// events as a log of command: each line read back gives the event again, its time to the
// millisecond.
template<class... Events> void ExpectRoundTrip(const std::string& command, Events... events)
{
    ((events.time = std::chrono::floor<std::chrono::milliseconds>(events.time)), ...);
    const std::string log = LogOf(events...);
    LogReader reader(log, "log.jsonl", command);
    (ExpectNext(reader, events), ...);
    EXPECT_FALSE(reader.Next());
    EXPECT_EQ("", reader.Error());
}

TEST(LogReader, ReadsBackEveryKindAnInstallWrites)
{
    const LogTime now = std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
    InstallStartEvent start { .time = now, .version = "1.0", .command = "install", .computer = "WEB\xC9" };
    start.package = "C:\\pkg";
    start.title = "Caf\xE9 \"Tags\"";
    start.answers = { { "AcceptLicense", "yes", "--set" }, { "Dir1", "C:\\Caf\xE9", "default" },
        { "Jvm", "", "answers file" } };
    FileCopiedEvent lost { .time = At(1ms), .from = "a", .to = "C:\\a", .bytes = 0, .digest = Digest::Lost };
    FileCopiedEvent digested { .time = At(2ms), .from = "src\\\xE9", .to = "C:\\\xE9", .bytes = 1ull << 40 };
    digested.replaced = true;
    digested.digest = Digest::Taken;
    digested.sha256 = std::string(64, 'f');
    digested.backup = "C:\\b\\00001-\xE9";
    ExpectRoundTrip("install", start, MessageEvent { .time = At(3ms), .text = "two\nlines" },
        MessageEvent { .time = At(4ms), .text = "w", .warning = true },
        AnswerEvent { .time = At(5ms), .question = "q", .yes = true },
        AnswerEvent { .time = At(5ms), .question = "q" },
        OptionEvent { .time = At(6ms), .number = 5, .caption = "c", .type = "ODBC", .done = true },
        OptionEvent { .time = At(6ms), .number = 1 }, FolderCreatedEvent { .time = At(7ms), .path = "C:\\d" },
        FileCopiedEvent { .time = At(8ms), .from = "p", .to = "C:\\p", .bytes = 9 }, lost, digested,
        CopyFailedEvent { .time = At(9ms), .from = "f", .to = "t", .error = 5, .backupFailed = true },
        CopyFailedEvent { .time = At(9ms), .from = "f", .to = "t", .error = 3 },
        ValueWrittenEvent { .time = At(10ms), .key = "HKEY_LOCAL_MACHINE\\K", .name = "N", .newData = "n" },
        ValueWrittenEvent { .key = "K", .name = "", .old = "o\xE9", .newData = "", .result = 5 },
        KeyCreatedEvent { .time = At(11ms), .key = "HKEY_CURRENT_USER\\K" },
        CommandEvent { .time = At(12ms), .command = "net stop \"x\"" },
        CommandEvent { .time = At(12ms), .command = "net", .exit = 259u },
        CommandEvent { .time = At(12ms), .command = "net", .error = 2u },
        InstallEndEvent { .time = At(13ms), .exit = 3010, .counts = { 1, 2, 3, 4, 5, 6, 7, 8, 9 } });
}

TEST(LogReader, ReadsBackEveryKindAnUndoWrites)
{
    ExpectRoundTrip("undo",
        UndoStartEvent { .time = At(1ms),
            .version = "1.0",
            .computer = "A",
            .log = "C:\\l\xE9.jsonl",
            .installed = "2026-12-08T11:24:07.123Z",
            .installedOn = "B" },
        ValueWrittenEvent { .time = At(2ms),
            .key = "K",
            .name = "JavaClassPath",
            .old = "a;b",
            .newData = "a",
            .entryRemoved = "b" },
        ValueDeletedEvent { .time = At(3ms), .key = "K", .name = "N", .old = "o" },
        KeyDeletedEvent { .time = At(4ms), .key = "K" },
        FileDeletedEvent { .time = At(5ms), .path = "C:\\f", .bytes = 7, .sha256 = "ab" },
        FileRestoredEvent { .time = At(6ms), .path = "C:\\f", .from = "C:\\b\\00001-f" },
        FolderRemovedEvent { .time = At(7ms), .path = "C:\\d" }, KeptEvent { .time = At(8ms), .reason = "r" },
        KeptEvent { .time = At(9ms),
            .key = "K",
            .name = "N",
            .change = "value-written",
            .newData = "n",
            .found = "f",
            .logLine = 4,
            .reason = "changed since the install" },
        KeptEvent {
            .key = "K", .name = "N", .change = "value-written", .newData = "n", .logLine = 4, .reason = "r" },
        KeptEvent { .key = "K",
            .change = "key-created",
            .subkeys = 1,
            .values = 0,
            .error = 5,
            .logLine = 2,
            .reason = "r" },
        KeptEvent { .path = "C:\\f",
            .change = "file-copied",
            .bytes = 3,
            .sha256 = "cd",
            .backup = "C:\\b",
            .logLine = 1,
            .reason = "r" },
        UndoEndEvent { .time = At(10ms), .exit = 1603, .counts = { 1, 2, 3 } });
}

// What the log's owner gets back from a log it did not write itself.
class LogReaderErrors : public testing::Test {
protected:
    const std::string start = "{\"event\":\"start\",\"command\":\"install\",\"computer\":\"W\"}\n";

    // The error reading the whole of text as an install's log gives, reading every change undo
    // takes back; empty when there is none.
    static std::string ErrorOf(const std::string& text)
    {
        LogReader reader(text, "f.jsonl", "install");
        while (reader.Next()) {
            bool read = true;
            if (reader.Kind() == LogKind::FolderCreated) {
                FolderCreatedEvent event;
                read = reader.Read(event);
            } else if (reader.Kind() == LogKind::FileCopied) {
                FileCopiedEvent event;
                read = reader.Read(event);
            } else if (reader.Kind() == LogKind::ValueWritten) {
                ValueWrittenEvent event;
                read = reader.Read(event);
            } else if (reader.Kind() == LogKind::KeyCreated) {
                KeyCreatedEvent event;
                read = reader.Read(event);
            }
            if (!read)
                break;
        }
        return reader.Error();
    }

    std::string Change(const std::string& line) const { return ErrorOf(start + line + "\n"); }
};

TEST_F(LogReaderErrors, ALogMustStartAsTheCommandsLog)
{
    EXPECT_EQ("f.jsonl: empty, or not the log of a tarnwick-cli install", ErrorOf(""));
    EXPECT_EQ("f.jsonl: empty, or not the log of a tarnwick-cli install",
        ErrorOf(start.substr(0, start.size() - 1)));
    EXPECT_EQ("f.jsonl:1: not a line of a tarnwick-cli log", ErrorOf("{\"event\":\n"));
    EXPECT_EQ(
        "f.jsonl:1: not the log of a tarnwick-cli install", ErrorOf("{\"event\":\"message\"}\n" + start));
    EXPECT_EQ("f.jsonl:1: not the log of a tarnwick-cli install",
        ErrorOf("{\"event\":\"start\",\"command\":\"plan\"}\n"));
    EXPECT_EQ("f.jsonl:1: not the log of a tarnwick-cli install", ErrorOf("{\"command\":\"install\"}\n"));
    EXPECT_EQ("f.jsonl:3: not a line of a tarnwick-cli log", ErrorOf(start + "{}\n[1]\n"));
}

TEST_F(LogReaderErrors, AByteOrderMarkIsReadAsNothingOnlyBeforeTheFirstLine)
{
    const std::string bom = "\xEF\xBB\xBF";
    const std::string folder = "{\"event\":\"folder-created\",\"path\":\"C:\\\\a\"}\n";
    EXPECT_EQ("", ErrorOf(bom + start + folder));
    EXPECT_EQ("f.jsonl:1: not a line of a tarnwick-cli log", ErrorOf(bom + bom + start));
    EXPECT_EQ("f.jsonl:2: not a line of a tarnwick-cli log", ErrorOf(start + bom + folder));
    EXPECT_EQ("f.jsonl: empty, or not the log of a tarnwick-cli install", ErrorOf(bom));

    const std::string marked = bom + start + folder;
    LogReader reader(marked, "f.jsonl", "install");
    ASSERT_TRUE(reader.Next());
    InstallStartEvent event;
    ASSERT_TRUE(reader.Read(event));
    EXPECT_EQ("W", event.computer);
    ASSERT_TRUE(reader.Next());
    EXPECT_EQ(2u, reader.Line());
}

TEST_F(LogReaderErrors, AChangeUndoCannotTakeBackIsRefusedWithItsLine)
{
    const std::string folder = "f.jsonl:2: a folder-created event without the fields undo needs";
    EXPECT_EQ(folder, Change("{\"event\":\"folder-created\"}"));
    EXPECT_EQ(folder, Change("{\"event\":\"folder-created\",\"path\":7}"));
    EXPECT_EQ(folder, Change("{\"event\":\"folder-created\",\"path\":\"C:\\\\a\\u0000b\"}"));
    EXPECT_EQ(
        folder, Change("{\"event\":\"folder-created\",\"path\":\"C:\\\\\\u4e00\"}")); // not in the code page
    const std::string copy = "f.jsonl:2: a file-copied event without the fields undo needs";
    EXPECT_EQ(copy, Change("{\"event\":\"file-copied\",\"to\":\"t\",\"replaced\":false}"));
    EXPECT_EQ(copy, Change("{\"event\":\"file-copied\",\"to\":\"t\",\"bytes\":-1,\"replaced\":false}"));
    EXPECT_EQ(copy, Change("{\"event\":\"file-copied\",\"to\":\"t\",\"bytes\":1,\"replaced\":\"no\"}"));
    EXPECT_EQ(copy,
        Change("{\"event\":\"file-copied\",\"to\":\"t\",\"bytes\":1,\"replaced\":true,\"backup\":false}"));
    EXPECT_EQ(copy, Change("{\"event\":\"file-copied\",\"bytes\":1,\"replaced\":true}"));
    const std::string value = "f.jsonl:2: a value-written event without the fields undo needs";
    EXPECT_EQ(value,
        Change("{\"event\":\"value-written\",\"key\":\"K\",\"name\":\"N\",\"new\":\"n\",\"result\":0}"));
    EXPECT_EQ(
        value, Change("{\"event\":\"value-written\",\"key\":\"K\",\"old\":null,\"new\":\"n\",\"result\":0}"));
    EXPECT_EQ("f.jsonl:2: a key-created event without the fields undo needs",
        Change("{\"event\":\"key-created\",\"result\":0}"));
}

TEST_F(LogReaderErrors, ALineGivingAFieldTwiceIsRefusedWithItsLine)
{
    const std::string why = ": JSON tools differ on which of the two they read";
    EXPECT_EQ("f.jsonl:2: the field \"to\" given twice" + why,
        Change("{\"event\":\"file-copied\",\"to\":\"C:\\\\a\",\"to\":\"C:\\\\b\",\"bytes\":1,"
               "\"replaced\":false}"));
    // Even in a line of a kind undo leaves out, or in the start's answers.
    EXPECT_EQ("f.jsonl:2: the field \"x\" given twice" + why, Change("{\"event\":\"new\",\"x\":1,\"x\":1}"));
    EXPECT_EQ("f.jsonl:1: the field \"Dir1\" given twice" + why,
        ErrorOf("{\"event\":\"start\",\"command\":\"install\",\"answers\":{\"Dir1\":{},\"Dir1\":{}}}\n"));
    // A name that is no plain text is not shown.
    EXPECT_EQ("f.jsonl:2: a field given twice" + why,
        Change("{\"event\":\"new\",\"\\u001b[2J\":1,\"\\u001b[2J\":1}"));
}

TEST_F(LogReaderErrors, WhatUndoDoesNotNeedIsNoError)
{
    // A copy's source and digest, whatever they hold; a refused write's fields; lines of kinds
    // this program does not write, or without a result to tell a change.
    EXPECT_EQ(
        "", Change("{\"event\":\"file-copied\",\"to\":\"t\",\"bytes\":1,\"replaced\":true,\"sha256\":5}"));
    EXPECT_EQ("", Change("{\"event\":\"value-written\",\"result\":5}"));
    EXPECT_EQ("", Change("{\"event\":\"key-created\",\"result\":-1}"));
    EXPECT_EQ("", Change("{\"event\":\"key-created\",\"result\":\"0\"}"));
    EXPECT_EQ("", Change("{\"event\":\"something-new\",\"path\":1}"));
    EXPECT_EQ("", Change("{\"path\":\"C:\\\\x\"}"));
    // A cut line at the end is the one in flight, not read at all.
    EXPECT_EQ("", ErrorOf(start + "{\"event\":\"folder-created\",\"pa"));
    // Lines may end as on Windows.
    EXPECT_EQ("",
        ErrorOf("{\"event\":\"start\",\"command\":\"install\"}\r\n{\"event\":\"folder-created\",\"path\":\"C:"
                "\\\\a\"}\r\n"));
}

TEST(LogReader, SkipsWhatItDoesNotKnowAndCountsEveryLine)
{
    const std::string log
        = "{\"event\":\"start\",\"command\":\"install\",\"time\":\"not a time\"}\n"
          "{\"event\":\"something-new\"}\n"
          "{}\n"
          "{\"event\":\"folder-created\",\"time\":\"2026-12-08T11:24:07.123Z\",\"path\":\"C:"
          "\\\\Caf\xC3\xA9\"}\n"
          "{\"event\":\"value-written\",\"key\":\"K\",\"name\":\"N\",\"old\":null,\"new\":\"n\"}\n"
          "{\"event\":\"folder-created\",\"path\":\"C:\\\\b\"}\n";
    LogReader reader(log, "f", "install");
    ASSERT_TRUE(reader.Next());
    EXPECT_EQ("not a time", reader.TimeText());
    InstallStartEvent start;
    ASSERT_TRUE(reader.Read(start));
    EXPECT_EQ(LogTime {}, start.time); // a time this program does not write
    EXPECT_EQ("install", start.command);
    EXPECT_EQ("", start.title);
    ASSERT_TRUE(reader.Next()) << reader.Error();
    EXPECT_EQ(4u, reader.Line());
    FolderCreatedEvent folder;
    EXPECT_FALSE(reader.Read(start)) << "a folder's line is no start";
    EXPECT_EQ("f:4: not a start event", reader.Error());

    LogReader again(log, "f", "install");
    ASSERT_TRUE(again.Next());
    ASSERT_TRUE(again.Next());
    ASSERT_TRUE(again.Read(folder));
    EXPECT_EQ("C:\\Caf\xE9", folder.path);
    EXPECT_EQ(*ParseUtcTimestamp("2026-12-08T11:24:07.123Z"), folder.time);
    ASSERT_TRUE(again.Next());
    EXPECT_EQ(6u, again.Line());
    EXPECT_FALSE(again.Next());
    EXPECT_EQ("", again.Error());
}

TEST(UtcTimestamp, ReadsBackOnlyItsOwnForm)
{
    const LogTime now = std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
    for (const LogTime time : { LogTime {}, At(1234ms), At(-86400001ms), now })
        EXPECT_EQ(time, ParseUtcTimestamp(UtcTimestamp(time))) << UtcTimestamp(time);
    EXPECT_EQ(At(951782400000ms), ParseUtcTimestamp("2000-02-29T00:00:00.000Z"));
    for (const char* text :
        { "", "2026-12-08T11:24:07.123", "2026-12-08T11:24:07.123z", "2026-12-08 11:24:07.123Z",
            "2026-12-08T11:24:07.12Z", "2026-13-08T11:24:07.123Z", "2026-02-29T11:24:07.123Z",
            "2026-12-08T24:00:00.000Z", "2026-12-08T11:60:07.123Z", "2026-12-08T11:24:60.123Z",
            "9999-12-08T11:24:07.123Z", "1000-12-08T11:24:07.123Z", "2026-12-0xT11:24:07.123Z" })
        EXPECT_EQ(std::nullopt, ParseUtcTimestamp(text)) << text;
}

} // namespace
