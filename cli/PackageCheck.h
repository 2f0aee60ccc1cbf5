// check: what the wizard would silently do with a package's install.conf, as diagnostics.
#pragma once

#include "cli/CommandLine.h"

// 0 clean, 1 warnings only, 2 errors, 1619 without install.conf.
int RunCheck(const CommandLine& line);
