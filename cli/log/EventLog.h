// Where the events of a run go: JSON lines to the log (a file, or standard output), each written
// in one piece and flushed as soon as its change is made, so a run that is killed leaves a log
// whose every whole line happened; and, for people, a short text on a stream of its own.
#pragma once

#include "cli/log/JsonLine.h"
#include "cli/log/LineFinisher.h"
#include "cli/log/LogEvents.h"
#include "cli/log/LogSeal.h"
#include "cli/log/ProgressCount.h"
#include "platform/CopiedBytes.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The error of a change not made because the log could no longer record it.
inline constexpr DWORD kNotRecorded = ERROR_CANCELLED;

class EventLog {
public:
    EventLog();
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Writes the JSON lines to path, created or replaced; "-" is standard output. false with a
    // message when the file cannot be created.
    bool OpenLog(const std::string& path, std::string& error);
    // A run that changes nothing (a plan) has no change for a line to keep up with: its lines are
    // handed to the system in large writes, the last by LogIntact.
    void FlushEachLine(bool each) { m_flushEachLine = each; }
    bool HasLog() const { return m_log != nullptr; }
    // Every line from here on carries its code under key, chained to the line before: a record
    // of changes that only this machine could have written. Before the first line.
    void SealLines(std::string_view key) { m_sealer.emplace(key); }

    // People read the texts of the events on this stream (nullptr: nobody).
    void SetConsole(std::FILE* console);
    std::FILE* Console() const { return m_console; }
    // The texts for people are kept in texts instead (nullptr: said on the console again), to be
    // told later or not at all.
    void KeepTexts(std::vector<std::string>* texts) { m_texts = texts; }
    // The count of files copied, on the console when show: every text said there ends its line
    // first.
    void ShowProgress(bool show);
    ProgressCount& Progress() { return m_progress; }

    // One event: its line to the log, and text, when not empty, to the console.
    template<class Event>
    requires requires(const Event& event) { event.Line(); }
    void Write(const Event& event, const std::string& text = {})
    {
        Settle();
        if (m_log)
            WriteLine(event.Line()); // made only for a log
        if (!text.empty())
            Say(text);
    }
    // The same for a line made already.
    void Write(const JsonLine& line, const std::string& text = {});
    // A change: the console is told its description when it describes every change (a plan's
    // text), otherwise only problem, when there is one.
    template<class Event>
    requires requires(const Event& event) { event.Line(); }
    void WriteChange(const Event& event, const std::string& description, const std::string& problem = {})
    {
        Write(event, m_describeChanges ? description : problem);
    }
    void DescribeChanges(bool describe) { m_describeChanges = describe; }
    bool DescribesChanges() const { return m_describeChanges; }

    // A copy whose line records its digest, for a log (HasLog). The bytes of the copy about to be
    // made go to CopyBytes; then WriteCopy writes the copy's line with its digest, taking copy as
    // LineFinisher::Finish does, or DropCopy forgets them when the copy failed. Where the machine
    // has a second core the digest and the line are finished there, while this thread goes on:
    // every Write, and Settle, first waits for them.
    CopiedBytes& CopyBytes();
    void WriteCopy(FileCopiedEvent& copy);
    void DropCopy();
    // Returns once every line handed over has been written: a change waits for the line of the
    // change before it, so a run that is killed lacks at most the line of the one in flight.
    void Settle();
    // A text for people only.
    void Say(const std::string& text);

    // A log that is the record of an install: before each change, its intent goes to the system,
    // with the lines before it in the same write, and lines that follow a change wait for the next
    // intent (or the end) to go with it. A run killed at any moment leaves every change it began
    // named in the log.
    void WriteIntents(bool intents)
    {
        m_intents = intents;
        m_flushEachLine = m_flushEachLine && !intents;
    }
    bool WritesIntents() const { return m_intents; }
    // Before a change: once the line before it is written, its intent, when the log writes
    // intents; then as Recordable.
    bool Intend(const IntentEvent& intent);
    // The same for the copy about to be made through CopyBytes: its intent is written once the
    // copy's source is open, just before its first byte, or forgotten with DropCopy. intent must
    // outlive the copy.
    void IntendCopy(const IntentEvent& intent) { m_copyIntent = m_intents ? &intent : nullptr; }

    // false once a line could not be written (a full disk, say). Everything written so far is
    // handed to the system first.
    bool LogIntact();
    // The same without handing anything over: what the lines written so far came to, those of the
    // copying thread once Settle has returned. A run makes no change once it is false: a change
    // the log cannot record is not made.
    bool Intact() const { return m_intact; }
    // Before a change: once the line before it is written, whether the log still records every
    // change; false, with the last error kNotRecorded, when not, and the change is not to be made.
    bool Recordable();

private:
    void WriteLine(const JsonLine& line);
    // The intent's line, handed to the system at once with every line before it.
    bool WriteIntent(const IntentEvent& intent);

    std::FILE* m_log = nullptr;
    bool m_ownsLog = false;
    std::FILE* m_console = nullptr;
    std::vector<std::string>* m_texts = nullptr;
    bool m_showProgress = false;
    ProgressCount m_progress;
    bool m_intact = true;
    bool m_flushEachLine = true;
    bool m_intents = false;
    const IntentEvent* m_copyIntent = nullptr; // the next copy's, until it is written
    bool m_describeChanges = false;
    std::optional<LineSealer> m_sealer;
    std::unique_ptr<LineFinisher> m_finisher; // made with the first copy
};
