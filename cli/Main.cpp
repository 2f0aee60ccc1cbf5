// tarnwick-cli: installs a package without a person at the screen, for SCCM, Intune, Ansible and
// scheduled tasks, and tells package authors what the wizard would make of their install.conf.
#include "cli/answers/AnswersRun.h"
#include "cli/check/PackageCheck.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/install/InstallRun.h"
#include "cli/undo/UndoRun.h"
#include "platform/MachineSetup.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CommandLine line;
    std::string error;
    if (!CommandLine::Parse(arguments, line, error)) {
        PutText(stderr, "tarnwick-cli: " + std::string(error.c_str()) + "\n\n" + kUsage);
        return kExitInvalidCommandLine;
    }
    if (line.command == "help") {
        std::fputs(kUsage, stdout);
        return kExitSuccess;
    }
    if (line.command == "version") {
        PutText(stdout, "tarnwick-cli " TARNWICK_VERSION "\n");
        return kExitSuccess;
    }
    if (line.command == "check")
        return RunCheck(line);
    if (!OpenMachine(error)) {
        ReportError(error);
        return kExitInstallFailure;
    }
    if (line.command == "answers")
        return PrintAnswers(line);
    if (line.command == "undo")
        return RunUndo(line);
    return RunInstall(line);
}
