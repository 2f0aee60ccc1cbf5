// Where the events of a run go: JSON lines to the log (a file, or standard output), each written
// in one piece and flushed as soon as its change is made, so a run that is killed leaves a log
// whose every whole line happened; and, for people, a short text on a stream of its own.
#pragma once

#include "cli/JsonLine.h"

#include <cstdio>
#include <memory>
#include <string>

class EventLog {
public:
    EventLog();
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Writes the JSON lines to path, created or replaced; "-" is standard output. false with a
    // message when the file cannot be created.
    bool OpenLog(const std::string& path, std::string& error);
    bool HasLog() const { return m_log != nullptr; }

    // People read the texts of the events on this stream (nullptr: nobody).
    void SetConsole(std::FILE* console) { m_console = console; }
    std::FILE* Console() const { return m_console; }

    // One event: its JSON line to the log, and text, when not empty, to the console.
    void Write(const JsonLine& line, const std::string& text = {});
    // A text for people only.
    void Say(const std::string& text);

    // false once a line could not be written (a full disk, say).
    bool LogIntact() const { return m_intact; }

private:
    std::FILE* m_log = nullptr;
    bool m_ownsLog = false;
    std::FILE* m_console = nullptr;
    bool m_intact = true;
};
