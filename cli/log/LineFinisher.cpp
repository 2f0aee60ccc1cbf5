#include "cli/log/LineFinisher.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#if !defined(__i386__) && !defined(__x86_64__)
#include <thread>
#endif

namespace {

// Big enough for the platform's copy blocks, which then go over in one piece.
constexpr std::size_t kPiece = 64 * 1024;

// How long the worker keeps looking for its next job before it sleeps: longer than the time
// between two small files, short enough that an idle install wastes nothing worth counting.
constexpr std::uint64_t kWorkerSpinMicroseconds = 300;

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
    // Without a thread to be had (a process at its limit) everything is done here instead.
    (void)m_worker.Start([this] { Work(); });
}

LineFinisher::~LineFinisher()
{
    if (m_worker.Started()) {
        Post(Stop);
        m_worker.Join();
    }
}

bool LineFinisher::WorthAThread()
{
    return WorkerThread::Cores() > 1;
}

void LineFinisher::Take(const void* data, std::size_t size)
{
    if (!m_worker.Started()) {
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
        = m_worker.Started() && m_filled == 0 && m_state.load(std::memory_order_acquire) == Bytes;
    if (!withBytes)
        Settle();
    // The texts change hands without a copy; the line is made where it is written, off this
    // thread's path from one copy to the next.
    std::swap(m_copy, copy);
    m_lost = m_lostNow;
    m_lostNow = false;
    if (!m_worker.Started()) {
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
    if (!m_worker.Started())
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
    // Sequentially consistent, as is the sleeper's look at the state (ThreadSignal): either this
    // thread sees the sleeper, or the sleeper sees the new state.
    m_state.store(state);
    m_wake.WakeAll();
}

void LineFinisher::SleepUntil(bool idle)
{
    m_wake.SleepUntil([this, idle] { return (m_state.load() == Idle) == idle; });
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
    auto until = m_wake.Microseconds() + kWorkerSpinMicroseconds;
    for (unsigned spins = 1;; ++spins) {
        const unsigned state = m_state.load(std::memory_order_acquire);
        if (state != Idle)
            return state;
        if (spins % 64 == 0 && m_wake.Microseconds() > until) {
            SleepUntil(false);
            until = m_wake.Microseconds() + kWorkerSpinMicroseconds;
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
            m_wake.WakeAll();
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
