// The commands that read a package and the answers: answers, plan and install. Plan and install
// are one run through the same product code; a plan only puts a recorder where the install puts
// the machine.
#pragma once

#include "cli/CommandLine.h"

#include <string>

// plan and install; the exit code.
int RunInstall(const CommandLine& line);

// answers: a complete answers file for the package on this machine, on standard output.
int PrintAnswers(const CommandLine& line);

// One run that changes the machine at a time: a second one would interleave its changes with the
// first's. install and undo hold this named mutex from before their first change to their end.
extern const char kInstallMutex[];

// The name the log's start event records, to tell the machines of a fleet apart.
std::string ComputerName();
