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
