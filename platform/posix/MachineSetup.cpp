// The simulated machine: its registry store and drives come from the environment, so that the
// program, its tests and a fleet of simulated servers each work on their own.
#include "platform/MachineSetup.h"

#include "platform/posix/registry/FileRegistryStore.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

bool OpenMachine(std::string& error)
{
    const char* store = std::getenv("TARNWICK_REGISTRY");
    if (!store || !*store) {
        error = "set TARNWICK_REGISTRY to the .reg file that holds this machine's registry "
                "(a missing file is an empty registry, created at the first change)";
        return false;
    }
    std::string why;
    if (!posix::UseRegistryFile(store, why)) {
        error = std::string("the registry ") + store + " cannot be used: " + why;
        return false;
    }
    return true;
}

bool EnterFolder(const std::string& folder, std::string& error)
{
    if (::chdir(folder.c_str()) == 0)
        return true;
    error = "cannot open the folder " + folder + ": " + std::strerror(errno);
    return false;
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}
