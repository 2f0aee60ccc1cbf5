#include "cli/PackageCheck.h"

#include "cli/ExitCodes.h"

#include <cstdio>

int RunCheck(const CommandLine&)
{
    std::fprintf(stderr, "tarnwick-cli: check is not built yet\n");
    return kExitInvalidCommandLine;
}
