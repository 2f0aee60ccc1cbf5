// answers: a complete answers file for the package on this machine, on standard output, each key
// with a comment on what the wizard asks there.
#pragma once

#include "cli/CommandLine.h"

// The exit code: 0, or 1619 when the package cannot be read.
int PrintAnswers(const CommandLine& line);
