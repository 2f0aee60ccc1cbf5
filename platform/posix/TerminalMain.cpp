// The program's entry point on POSIX: the wizard in a terminal, on the machine that
// TARNWICK_REGISTRY (the registry's .reg file) and TARNWICK_DRIVES (drive letters) describe.
#include "platform/CWinApp.h"
#include "platform/posix/registry/FileRegistryStore.h"
#include "platform/posix/terminal/TerminalHost.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main()
{
    const char* store = std::getenv("TARNWICK_REGISTRY");
    if (!store || !*store) {
        std::fprintf(stderr,
            "tarnwick: set TARNWICK_REGISTRY to the .reg file that holds this machine's registry\n"
            "(a missing file is an empty registry, created at the first change).\n");
        return 2;
    }
    std::string error;
    if (!posix::UseRegistryFile(store, error)) {
        // Never started on a registry it cannot read: it would look empty and lose what is there.
        std::fprintf(stderr, "tarnwick: the registry %s cannot be used: %s\n", store, error.c_str());
        return 2;
    }
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
        std::fprintf(stderr, "tarnwick: the wizard runs in a terminal; start it from one.\n");
        return 2;
    }
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    int code = 0;
    {
        posix::TerminalHost host;
        if (!host.Ready()) {
            const char* type = std::getenv("TERM");
            std::fprintf(stderr,
                "tarnwick: cannot draw on this terminal (TERM=%s); set TERM to its type, such as xterm.\n",
                type ? type : "");
            return 2;
        }
        posix::DialogHost* previous = posix::SetDialogHost(&host);
        code = app->Run();
        (void)posix::SetDialogHost(previous);
    }
    return code;
}
