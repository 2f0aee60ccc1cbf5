// The files and folders named on the command line, settled before the run goes into the package
// folder: a relative name means what it meant where the program was started.
#pragma once

#include "cli/CommandLine.h"

#include <string>

// Makes --answers, --log, --log-out and --backup absolute ("-" stays standard output) and refuses
// what cannot be used: an answers file that is not a regular file, a log that would be written
// over something other than a file of ours. false with a message; nothing has changed then.
bool SettleCallerPaths(CommandLine& line, std::string& error);
