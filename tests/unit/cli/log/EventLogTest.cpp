#include "cli/log/EventLog.h"

#include "TempFolder.h"

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

} // namespace
