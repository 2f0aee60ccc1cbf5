#include "cli/log/LineFinisher.h"

#include <algorithm>
#include <chrono>
#include <cstring>

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

LineFinisher::LineFinisher(std::function<void(const FileCopiedEvent&)> write, bool background)
    : m_write(std::move(write))
{
    if (!background)
        return;
    m_blocks[0].resize(kPiece);
    m_blocks[1].resize(kPiece);
    try {
        m_worker = std::thread([this] { Work(); });
    } catch (...) {
        // No thread to be had (a process at its limit): everything is done here instead. Every
        // type is caught: the shipped Windows programs throw a type of their own for it.
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
    // A worker with nothing to do starts on these bytes now, while this thread writes and closes
    // the copy, rather than when the line comes.
    if (m_filled > 0 && m_state.load(std::memory_order_acquire) == Idle)
        Post(Bytes);
}

void LineFinisher::Lost()
{
    m_lostNow = true;
}

void LineFinisher::Finish(FileCopiedEvent& copy)
{
    // While the worker digests the copy's last bytes it leaves the line alone: the line goes with
    // them, and this thread waits only before its next change, not here as well.
    const bool withBytes
        = m_worker.joinable() && m_filled == 0 && m_state.load(std::memory_order_acquire) == Bytes;
    if (!withBytes)
        Settle();
    // The texts change hands without a copy; the line is made where it is written, off this
    // thread's path from one copy to the next.
    std::swap(m_copy, copy);
    m_lost = m_lostNow;
    m_lostNow = false;
    if (!m_worker.joinable()) {
        WriteLine();
        return;
    }
    unsigned digesting = Bytes;
    if (withBytes && m_state.compare_exchange_strong(digesting, Line))
        return;
    Post(Line); // the worker was idle, or became idle meanwhile: the line goes on its own
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
        SleepUntil(true);
        return;
    }
}

void LineFinisher::Change(State state)
{
    // Sequentially consistent, as is the sleeper's count before its last look at the state: either
    // this thread sees the sleeper, or the sleeper sees the new state. A sleeper holds the mutex
    // from its count until it waits, so once the mutex is free again it is waiting for the
    // notification.
    m_state.store(state);
    WakeSleepers();
}

void LineFinisher::WakeSleepers()
{
    if (m_sleepers.load() != 0) {
        {
            std::lock_guard<std::mutex> sleeper(m_sleep);
        }
        m_wake.notify_all();
    }
}

void LineFinisher::SleepUntil(bool idle)
{
    std::unique_lock<std::mutex> lock(m_sleep);
    m_sleepers.fetch_add(1);
    m_wake.wait(lock, [this, idle] { return (m_state.load() == Idle) == idle; });
    m_sleepers.fetch_sub(1);
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
            SleepUntil(false);
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
        // The line of these bytes may have come meanwhile: then the job is now Line.
        unsigned digested = Bytes;
        if (job == Bytes && m_state.compare_exchange_strong(digested, Idle)) {
            WakeSleepers();
            continue;
        }
        WriteLine();
        Change(Idle);
    }
}

void LineFinisher::WriteLine()
{
    // The digest goes into the room an earlier copy's left.
    m_hash.HexDigest(m_copy.sha256);
    m_copy.digest = m_lost ? Digest::Lost : Digest::Taken;
    m_write(m_copy);
}
