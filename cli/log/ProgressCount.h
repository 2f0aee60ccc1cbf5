// The console's count of the files copied so far, for a person watching a large tree go over:
// "\rN files copied" every hundred files, each written over the one before on a line of the
// count's own, which it ends before anything else is said there, and when it goes away.
#pragma once

#include <cstdint>
#include <cstdio>

class ProgressCount {
public:
    ProgressCount() = default;
    ~ProgressCount() { EndLine(); }
    ProgressCount(const ProgressCount&) = delete;
    ProgressCount& operator=(const ProgressCount&) = delete;

    // Where the count goes; nullptr, as at first: nowhere. The line of an earlier stream ends.
    void ShowOn(std::FILE* console);
    // files have been copied so far: every hundredth shows.
    void Copied(std::uint64_t files);
    // Ends the count's line when one is open; the next count starts another.
    void EndLine();
    [[nodiscard]] bool LineOpen() const { return m_lineOpen; }

private:
    std::FILE* m_console = nullptr;
    bool m_lineOpen = false;
};
