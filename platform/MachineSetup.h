// What a program without windows needs before it works on the machine: on Windows the machine is
// simply there; on POSIX it is the simulated one that TARNWICK_REGISTRY (the registry's .reg file)
// and TARNWICK_DRIVES (drive letters) describe.
#pragma once

#include <string>

// Makes the machine's registry and drives ready; false with a message when they cannot be used
// (a program must then stop rather than work on an empty registry).
bool OpenMachine(std::string& error);

// Makes folder, written as paths are on the platform the program runs on (a host path on POSIX),
// the current directory; false with a message.
bool EnterFolder(const std::string& folder, std::string& error);

// true when standard error goes to a terminal (a console window on Windows): progress is shown.
bool StandardErrorIsTerminal();
