// The file-copied lines of an install's log, finished on a second thread where the machine has a
// second core: the bytes of each copy are handed over as it is made, and their digest is taken
// there and the copy's event, digest and all, handed back to be written, while this thread goes
// on to the next file. Before each change this thread waits (Settle) until the line before it is
// written, so the log keeps its order and a run that is killed still lacks at most the line of the
// change in flight.
#pragma once

#include "cli/log/LogEvents.h"
#include "cli/log/Sha256.h"
#include "platform/CopiedBytes.h"
#include "platform/ThreadSignal.h"
#include "platform/WorkerThread.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class LineFinisher : public CopiedBytes {
public:
    // write takes each copy's event with its digest, to write its line. background: on a thread
    // of its own; otherwise (or when no thread can be started) all of it happens on the caller's
    // thread, as things are handed over.
    LineFinisher(std::function<void(const FileCopiedEvent&)> write, bool background);
    ~LineFinisher() override; // writes what is left first
    LineFinisher(const LineFinisher&) = delete;
    LineFinisher& operator=(const LineFinisher&) = delete;

    // The copy is about to be made: the line before it is written first.
    // Once the line before is written; false when copies are to stop (StopCopiesWhen).
    bool BeforeCopy() override
    {
        Settle();
        return !(m_stop && m_stop());
    }
    // stop says, before each copy, whether copies are to stop (the log has failed).
    void StopCopiesWhen(std::function<bool()> stop) { m_stop = std::move(stop); }
    // The bytes of the copy being made, in order.
    void Take(const void* data, std::size_t size) override;
    void Lost() override;

    // The copy was made: its event gets the digest (Lost when its bytes were lost on the way) and
    // is handed to write. copy is taken, and left holding an earlier copy's texts, whose room the
    // caller can fill again.
    void Finish(FileCopiedEvent& copy);
    // The copy failed: the bytes it handed over are forgotten.
    void Drop();
    // Returns once every line handed over has been written.
    void Settle();

    // true when the machine has more than one core: only then does a second thread pay.
    static bool WorthAThread();

private:
    enum State : unsigned { Idle, Bytes, Line, Stop };
    // This thread hands the worker its next job, with the block being filled: it waits until the
    // worker is idle and then fills the other block.
    void Post(State job);
    // The worker: waits for jobs until Stop.
    void Work();
    // Waits while the worker is idle, spinning for a while first: the next job is usually a few
    // microseconds away, and a sleeping thread takes longer than that to wake.
    unsigned AwaitJob();
    // Gives the copy its digest and hands it to write.
    void WriteLine();
    // Sets the state and wakes the other thread, should it sleep.
    void Change(State state);
    // Sleeps until the worker is idle (idle true) or has a job (idle false).
    void SleepUntil(bool idle);

    // The fields the two threads share each start a cache line of their own: the waiting thread
    // keeps reading the state, and every write to a field on its line would take it away from it.
    static constexpr std::size_t kCacheLine = 64;

    std::function<void(const FileCopiedEvent&)> m_write;
    std::function<bool()> m_stop;
    // Two blocks: this thread fills one while the worker digests the other. The bytes go over as
    // soon as the worker is free, and the line follows them.
    std::vector<unsigned char> m_blocks[2];
    unsigned m_filling = 0; // the block this thread fills
    std::size_t m_filled = 0;
    bool m_lostNow = false; // Lost() for the copy being made

    alignas(kCacheLine) std::atomic<unsigned> m_state { Idle };
    // Where a thread that has spun long enough sleeps until the state changes; a change wakes
    // nobody when nobody sleeps.
    alignas(kCacheLine) ThreadSignal m_wake;
    // The job: set by this thread while the worker is idle, read by the worker until it is idle
    // again. The copy and what goes with it may also be set during a Bytes job, which leaves
    // them alone: a Bytes job that becomes Line writes the line once the bytes are digested.
    alignas(kCacheLine) const unsigned char* m_jobBytes = nullptr;
    std::size_t m_jobSize = 0;
    bool m_lost = false;
    FileCopiedEvent m_copy;
    alignas(kCacheLine) Sha256 m_hash; // the worker's while it is not idle
    WorkerThread m_worker;
};
