#include "cli/LineFinisher.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>

namespace {

// Big enough for the platform's copy blocks, which then go over in one piece.
constexpr std::size_t kPiece = 64 * 1024;

// How long the worker keeps looking for its next job before it sleeps: longer than the time
// between two small files, short enough that an idle install wastes nothing worth counting.
constexpr auto kWorkerSpin = std::chrono::microseconds(300);

// How often this thread looks before it sleeps while the worker finishes a job, which takes a few
// microseconds, or longer for a large block.
constexpr unsigned kWaiterSpins = 1u << 14;

void Relax()
{
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

} // namespace

LineFinisher::LineFinisher(std::function<void(const std::string&)> write, bool background)
    : m_write(std::move(write))
{
    if (!background)
        return;
    m_blocks[0].resize(kPiece);
    m_blocks[1].resize(kPiece);
    try {
        m_worker = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
        // No thread to be had (a process at its limit): everything is done here instead.
    }
}

LineFinisher::~LineFinisher()
{
    if (m_worker.joinable()) {
        Post(Stop);
        m_worker.join();
    }
}

bool LineFinisher::WorthAThread()
{
    return std::thread::hardware_concurrency() > 1;
}

void LineFinisher::Take(const void* data, std::size_t size)
{
    if (!m_worker.joinable()) {
        m_hash.Update(data, size);
        return;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        if (m_filled == kPiece)
            Post(Bytes);
        const std::size_t piece = std::min(size, kPiece - m_filled);
        std::memcpy(m_blocks[m_filling].data() + m_filled, bytes, piece);
        m_filled += piece;
        bytes += piece;
        size -= piece;
    }
}

void LineFinisher::Lost()
{
    m_lostNow = true;
}

void LineFinisher::Finish(JsonLine line, std::string backup)
{
    Settle();
    m_line = std::move(line);
    m_backup = std::move(backup);
    m_lost = m_lostNow;
    m_lostNow = false;
    if (m_worker.joinable())
        Post(Line);
    else
        WriteLine();
}

void LineFinisher::Drop()
{
    Settle();
    m_hash = Sha256();
    m_filled = 0;
    m_lostNow = false;
}

void LineFinisher::Settle()
{
    if (!m_worker.joinable())
        return;
    unsigned spins = 0;
    for (unsigned state = m_state.load(std::memory_order_acquire); state != Idle;
         state = m_state.load(std::memory_order_acquire)) {
        if (++spins < kWaiterSpins) {
            Relax();
            continue;
        }
        std::unique_lock<std::mutex> lock(m_sleep);
        m_wake.wait(lock, [this] { return m_state.load(std::memory_order_acquire) == Idle; });
        return;
    }
}

void LineFinisher::Change(State state)
{
    m_state.store(state, std::memory_order_release);
    // A thread about to sleep holds the mutex from its last look at the state until it waits: once
    // the mutex is free again, it either saw the change or is waiting for this notification.
    {
        std::lock_guard<std::mutex> sleeper(m_sleep);
    }
    m_wake.notify_all();
}

void LineFinisher::Post(State job)
{
    Settle();
    m_jobBytes = m_blocks[m_filling].data();
    m_jobSize = m_filled;
    m_filling ^= 1;
    m_filled = 0;
    Change(job);
}

unsigned LineFinisher::AwaitJob()
{
    auto until = std::chrono::steady_clock::now() + kWorkerSpin;
    for (unsigned spins = 1;; ++spins) {
        const unsigned state = m_state.load(std::memory_order_acquire);
        if (state != Idle)
            return state;
        if (spins % 64 == 0 && std::chrono::steady_clock::now() > until) {
            std::unique_lock<std::mutex> lock(m_sleep);
            m_wake.wait(lock, [this] { return m_state.load(std::memory_order_acquire) != Idle; });
            until = std::chrono::steady_clock::now() + kWorkerSpin;
        } else {
            Relax();
        }
    }
}

void LineFinisher::Work()
{
    for (;;) {
        const unsigned job = AwaitJob();
        if (job == Stop)
            return;
        m_hash.Update(m_jobBytes, m_jobSize);
        if (job == Line)
            WriteLine();
        Change(Idle);
    }
}

void LineFinisher::WriteLine()
{
    const std::string digest = m_hash.HexDigest();
    if (m_lost)
        m_line.AddNull("sha256");
    else
        m_line.Add("sha256", digest);
    if (!m_backup.empty())
        m_line.Add("backup", m_backup);
    m_write(m_line.Text());
}
