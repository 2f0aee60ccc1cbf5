// The standard handles a program is started with. Started without one, a POSIX program gives its
// number to the next file it opens, and what it meant for standard output or error then lands in
// that file; a Windows program would write through a handle value that names nothing, or names a
// handle opened later.
#pragma once

// Which of the three the program was started without.
struct MissingStandardHandles {
    bool input = false;
    bool output = false;
    bool error = false;
};

// First thing in main: each standard handle the program was started without is opened onto the
// null device, so that what is written to it goes nowhere and no file opened later takes its
// place. missing says which they were. false when the null device cannot be opened: the program
// must stop then, and cannot say why.
[[nodiscard]] bool SettleStandardHandles(MissingStandardHandles& missing);
