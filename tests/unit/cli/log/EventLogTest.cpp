#include "cli/log/EventLog.h"

#include "TempFolder.h"
#include "cli/log/LogSeal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

std::string TextOf(std::FILE* file)
{
    (void)std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text += static_cast<char>(c);
    return text;
}

// The count of copied files and the texts of events share the console: a text never lands on the
// count's line, and a line to the log alone leaves the count's line as it is.
TEST(EventLog, ATextForPeopleEndsTheCountsLineFirst)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> console { std::tmpfile(), &std::fclose };
    EventLog log;
    log.ShowProgress(true); // before the console is known, as well as after
    log.SetConsole(console.get());
    log.Progress().Copied(100);
    log.Write(FolderCreatedEvent { .path = "C:\\a" }.Line());
    log.Progress().Copied(200);
    log.Write(MessageEvent { .text = "option 1" }.Line(), "option 1 (Copy) Copy: done");
    log.Say("next");
    log.ShowProgress(false);
    log.Progress().Copied(300);
    EXPECT_EQ(
        "\r100 files copied\r200 files copied\noption 1 (Copy) Copy: done\nnext\n", TextOf(console.get()));
}

// The copy's line comes from the event handed back with its digest, after the lines before it.
TEST(EventLog, WritesACopysLineWithItsDigestAndBackup)
{
    const TempFolder folder;
    EventLog log;
    std::string error;
    ASSERT_TRUE(log.OpenLog(folder.Host("log.jsonl").string(), error)) << error;
    log.Write(FolderCreatedEvent { .time = {}, .path = "C:\\a" }.Line());
    CopiedBytes& bytes = log.CopyBytes();
    bytes.BeforeCopy();
    bytes.Take("abc", 3);
    FileCopiedEvent copy { .time = {}, .from = "f", .to = "C:\\a\\t", .bytes = 3, .replaced = true, .backup = "C:\\b\\00001-t" };
    log.WriteCopy(copy);
    ASSERT_TRUE(log.LogIntact());
    EXPECT_EQ("{\"event\":\"folder-created\",\"time\":\"1970-01-01T00:00:00.000Z\",\"path\":\"C:\\\\a\"}\n"
              "{\"event\":\"file-copied\",\"time\":\"1970-01-01T00:00:00.000Z\",\"from\":\"f\",\"to\":\"C:"
              "\\\\a\\\\t\","
              "\"bytes\":3,\"replaced\":true,\"sha256\":"
              "\"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad\",\"backup\":\"C:"
              "\\\\b\\\\00001-t\"}\n",
        folder.Read("log.jsonl"));
}

// Every line is sealed, the copies' lines finished on the second thread among them, in the order
// written; the lines are those an unsealed log holds, each with its code added.
TEST(EventLog, SealedLinesChainInTheOrderTheyAreWritten)
{
    const std::string key(32, '\x33');
    const TempFolder folder;
    const auto write = [&](const std::string& name, bool sealed) {
        EventLog log;
        std::string error;
        ASSERT_TRUE(log.OpenLog(folder.Host(name).string(), error)) << error;
        if (sealed)
            log.SealLines(key);
        log.Write(FolderCreatedEvent { .time = {}, .path = "C:\\a" }.Line());
        for (int i = 0; i < 20; ++i) {
            CopiedBytes& bytes = log.CopyBytes();
            bytes.BeforeCopy();
            bytes.Take("abc", 3);
            FileCopiedEvent copy { .time = {}, .from = "f", .to = "C:\\a\\" + std::to_string(i), .bytes = 3 };
            log.WriteCopy(copy);
        }
        log.Write(MessageEvent { .time = {}, .text = "done" }.Line());
        ASSERT_TRUE(log.LogIntact());
    };
    write("sealed.jsonl", true);
    write("plain.jsonl", false);
    const std::string sealed = folder.Read("sealed.jsonl");
    const SealCheck check = CheckSeals(sealed, key);
    EXPECT_TRUE(check.intact) << check.reason << " at line " << check.badLine;
    EXPECT_EQ(check.lines, 22u);
    std::string unsealed;
    for (std::size_t start = 0, end; (end = sealed.find('\n', start)) != std::string::npos; start = end + 1)
        unsealed.append(Unsealed(sealed.substr(start, end - start))).append("}\n");
    EXPECT_EQ(unsealed, folder.Read("plain.jsonl"));
    EXPECT_EQ(CheckSeals(folder.Read("plain.jsonl"), key).badLine, 1u);
}

} // namespace
