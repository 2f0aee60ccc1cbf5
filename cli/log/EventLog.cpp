#include "cli/log/EventLog.h"

#include <utility>

namespace {

// A line is handed to the system in one write when it fits the buffer (values are bounded by
// install.conf's size, far below this). Linux may still cut a write at a page boundary when the
// process is killed during it: every line that ends with its line end happened, and what follows
// the last one is the start of the line in flight, which readers drop.
constexpr std::size_t kLineBuffer = 1 << 20;

} // namespace

EventLog::EventLog() = default;

EventLog::~EventLog()
{
    m_finisher.reset();
    if (m_log && m_ownsLog)
        (void)std::fclose(m_log);
}

bool EventLog::OpenLog(const std::string& path, std::string& error)
{
    if (path == "-") {
        m_log = stdout;
        m_ownsLog = false;
    } else {
        m_log = std::fopen(path.c_str(), "wb");
        if (!m_log) {
            error = "cannot create the log " + path;
            return false;
        }
        m_ownsLog = true;
    }
    (void)std::setvbuf(m_log, nullptr, _IOFBF, kLineBuffer);
    return true;
}

void EventLog::Write(const JsonLine& line, const std::string& text)
{
    Settle();
    if (m_log)
        WriteLine(line);
    if (!text.empty())
        Say(text);
}

CopiedBytes& EventLog::CopyBytes()
{
    if (!m_finisher) {
        m_finisher = std::make_unique<LineFinisher>(
            [this](const FileCopiedEvent& copy) { WriteLine(copy.Line()); }, LineFinisher::WorthAThread());
        // The copy waits for the line before it and its own intent; one that the log could not
        // record is not made.
        m_finisher->StopCopiesWhen([this] {
            const IntentEvent* intent = std::exchange(m_copyIntent, nullptr);
            return intent ? !WriteIntent(*intent) : !m_intact;
        });
    }
    return *m_finisher;
}

void EventLog::WriteCopy(FileCopiedEvent& copy)
{
    (void)CopyBytes();
    m_finisher->Finish(copy);
}

void EventLog::DropCopy()
{
    m_copyIntent = nullptr;
    if (m_finisher)
        m_finisher->Drop();
}

void EventLog::Settle()
{
    if (m_finisher)
        m_finisher->Settle();
}

bool EventLog::Recordable()
{
    Settle();
    if (!m_intact)
        SetLastError(kNotRecorded);
    return m_intact;
}

bool EventLog::Intend(const IntentEvent& intent)
{
    Settle();
    if (m_intents && m_intact)
        (void)WriteIntent(intent);
    if (!m_intact)
        SetLastError(kNotRecorded);
    return m_intact;
}

bool EventLog::WriteIntent(const IntentEvent& intent)
{
    WriteLine(intent.Line());
    if (m_log && m_intact && std::fflush(m_log) != 0)
        m_intact = false;
    return m_intact;
}

bool EventLog::LogIntact()
{
    Settle();
    if (m_log && std::fflush(m_log) != 0)
        m_intact = false;
    return m_intact;
}

// On this thread or, for a copy's line, on the finisher's while this one waits before its next
// change or line.
void EventLog::WriteLine(const JsonLine& line)
{
    if (!m_log)
        return;
    // Every part goes to the buffer, and from there to the system in one write.
    const std::string_view body = line.Body();
    const std::string_view seal = m_sealer ? m_sealer->Suffix(body) : std::string_view();
    if (std::fwrite(body.data(), 1, body.size(), m_log) != body.size()
        || (!seal.empty() && std::fwrite(seal.data(), 1, seal.size(), m_log) != seal.size())
        || std::fputs("}\n", m_log) == EOF
        || (m_flushEachLine && std::fflush(m_log) != 0))
        m_intact = false;
}

void EventLog::SetConsole(std::FILE* console)
{
    m_console = console;
    ShowProgress(m_showProgress);
}

void EventLog::ShowProgress(bool show)
{
    m_showProgress = show;
    m_progress.ShowOn(show ? m_console : nullptr);
}

void EventLog::Say(const std::string& text)
{
    if (m_texts) {
        m_texts->push_back(text);
        return;
    }
    if (!m_console)
        return;
    m_progress.EndLine();
    (void)std::fputs(text.c_str(), m_console);
    (void)std::fputc('\n', m_console);
    (void)std::fflush(m_console);
}
