// Reads a log back, line by line, into the typed events of LogEvents.h. Undo is its reader: a log
// comes from a file anyone may have written, so every line is checked, and a line is refused, with
// the log's name and the line's number, for what undo could not do without.
#pragma once

#include "cli/log/JsonReader.h"
#include "cli/log/LogEvents.h"

#include <cstddef>
#include <string>
#include <string_view>

class LogReader {
public:
    // text: a whole log; file: its name, for the messages; command: whose log it must be
    // ("install": the first line is the start of an install). text must outlive the reader; a
    // byte order mark at its very start is no part of the first line.
    LogReader(std::string_view text, std::string file, std::string command);

    // Moves to the next line of a kind this program writes, leaving out lines of kinds it does
    // not know, and registry writes without a whole number for their result. false at the end,
    // with Error() empty, or at a line that cannot be read, with Error() saying why. A last line
    // without its line end is the change that was in flight when the run was stopped: it is not
    // read.
    [[nodiscard]] bool Next();
    [[nodiscard]] LogKind Kind() const { return m_kind; }
    [[nodiscard]] std::size_t Line() const { return m_number; } // from 1
    // The line's "time" as it gives it, UTF-8 and unchecked; empty when it has none.
    [[nodiscard]] std::string TimeText() const;

    // The event of the line Next moved to, its texts in the system code page, its time the epoch
    // when the line's is not one this program writes. false, with Error() set, when the line is of
    // another kind or lacks a field undo needs (a field that is not what it should be, a text the
    // code page cannot hold or with a zero byte in it). A registry write whose result is not 0
    // changed nothing and needs nothing: its fields are read as far as they can be. Fields undo
    // does not need are read as far as they can be too, for a start; every other kind needs all
    // the fields it is always written with.
    [[nodiscard]] bool Read(InstallStartEvent& event);
    [[nodiscard]] bool Read(UndoStartEvent& event);
    [[nodiscard]] bool Read(MessageEvent& event);
    [[nodiscard]] bool Read(AnswerEvent& event);
    [[nodiscard]] bool Read(OptionEvent& event);
    [[nodiscard]] bool Read(FolderCreatedEvent& event);
    [[nodiscard]] bool Read(FileCopiedEvent& event);
    [[nodiscard]] bool Read(CopyFailedEvent& event);
    [[nodiscard]] bool Read(ValueWrittenEvent& event);
    [[nodiscard]] bool Read(KeyCreatedEvent& event);
    [[nodiscard]] bool Read(CommandEvent& event);
    [[nodiscard]] bool Read(InstallEndEvent& event);
    [[nodiscard]] bool Read(UndoEndEvent& event);
    [[nodiscard]] bool Read(KeptEvent& event);
    [[nodiscard]] bool Read(ValueDeletedEvent& event);
    [[nodiscard]] bool Read(KeyDeletedEvent& event);
    [[nodiscard]] bool Read(FileDeletedEvent& event);
    [[nodiscard]] bool Read(FileRestoredEvent& event);
    [[nodiscard]] bool Read(FolderRemovedEvent& event);
    [[nodiscard]] bool Read(IntentEvent& event);

    // "FILE:LINE: why", or "FILE: why" for the log as a whole; empty while all is well.
    [[nodiscard]] const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& why);
    // Checks the line is of kind; then its time goes into time.
    bool Begin(LogKind kind, LogTime& time);
    // The event starts over, with nothing of a line read before.
    template<class Event> bool Begin(Event& event)
    {
        event = Event {};
        return Begin(Event::kind, event.time);
    }
    // Fields read (false) in Read's end: Error() names the kind when one was missing.
    bool End(bool good);

    std::string_view m_text;
    std::string m_file;
    std::string m_command;
    std::size_t m_at = 0;
    std::size_t m_number = 0;
    bool m_sawStart = false;
    LogKind m_kind = LogKind::Start;
    JsonObject m_object;
    std::string m_error;
};
