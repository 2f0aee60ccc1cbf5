#include "cli/log/ProgressCount.h"

#include <charconv>
#include <cstring>
#include <iterator>

namespace {

constexpr unsigned kEvery = 100;

} // namespace

void ProgressCount::ShowOn(std::FILE* console)
{
    if (console != m_console)
        EndLine();
    m_console = console;
}

void ProgressCount::Copied(std::uint64_t files)
{
    if (!m_console || files == 0 || files % kEvery != 0)
        return;
    // On the stack: the count comes between copies, and costs them nothing else.
    static constexpr char kWords[] = " files copied";
    char text[1 + 20 + sizeof kWords] = { '\r' };
    char* const end = std::to_chars(text + 1, text + 21, files).ptr;
    std::memcpy(end, kWords, sizeof kWords - 1);
    (void)std::fwrite(text, 1, static_cast<std::size_t>(end - text) + sizeof kWords - 1, m_console);
    (void)std::fflush(m_console);
    m_lineOpen = true;
}

void ProgressCount::EndLine()
{
    if (!m_lineOpen)
        return;
    m_lineOpen = false;
    if (m_console) {
        (void)std::fputc('\n', m_console);
        (void)std::fflush(m_console);
    }
}
