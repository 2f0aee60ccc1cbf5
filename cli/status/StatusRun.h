// status: whether this machine holds what install with these answers would leave on it, worked
// out by the install's own run over a plan and compared with the machine, which it never changes
// (no lock, no log, no write).
#pragma once

#include "cli/CommandLine.h"

// The exit code: 0 installed, 1 not (each difference on standard error), or install's 1619 and
// 1639 for a package or answers it cannot use.
int RunStatus(const CommandLine& line);
