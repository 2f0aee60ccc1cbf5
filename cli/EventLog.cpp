#include "cli/EventLog.h"

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
    if (m_log) {
        std::string whole = line.Text();
        whole += '\n';
        if (std::fwrite(whole.data(), 1, whole.size(), m_log) != whole.size() || std::fflush(m_log) != 0)
            m_intact = false;
    }
    if (!text.empty())
        Say(text);
}

void EventLog::Say(const std::string& text)
{
    if (!m_console)
        return;
    (void)std::fputs(text.c_str(), m_console);
    (void)std::fputc('\n', m_console);
    (void)std::fflush(m_console);
}
