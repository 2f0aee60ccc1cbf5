// undo: takes back what an install log records, newest change first, and only where the machine
// still holds what that install left. Whatever was changed since is kept and listed. With --plan
// the same undo runs over a machine that only records its changes: it tells what undo would do,
// and exits as undo would.
#pragma once

#include "cli/CommandLine.h"

// The exit code: 0 when everything was undone, 1603 when something had to be kept, 1618 while
// another install or undo runs, 1639 for a log it cannot use.
int RunUndo(const CommandLine& line);
