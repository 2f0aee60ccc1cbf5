// plan and install: one run through the same product code; a plan only puts a machine that
// records the changes where the install puts the machine itself.
#pragma once

#include "cli/CommandLine.h"

// plan and install; the exit code.
int RunInstall(const CommandLine& line);
