// tarnwick-cli: installs a package without a person at the screen, for SCCM, Intune, Ansible and
// scheduled tasks, and tells package authors what the wizard would make of their install.conf.
#include "cli/answers/AnswersRun.h"
#include "cli/CallerPaths.h"
#include "cli/check/PackageCheck.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/install/InstallRun.h"
#include "cli/status/StatusRun.h"
#include "cli/undo/UndoRun.h"
#include "platform/MachineSetup.h"
#include "platform/StandardHandles.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// What the command is run for when it goes to standard output, as a message names it; empty for
// an install or an undo that logs to a file, or to none.
std::string ProductOnStandardOutput(const CommandLine& line)
{
    if (line.command == "install")
        return line.log == std::string("-") ? "the log (--log -)" : "";
    if (line.command == "undo" && line.plan)
        return "what undo --plan prints";
    if (line.command == "undo")
        return line.logOut == std::string("-") ? "the log (--log-out -)" : "";
    return "what " + line.command + " prints";
}

// The command itself, once its command line is settled; its exit code.
int RunCommand(const CommandLine& line)
{
    std::string error;
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
    if (line.command == "status")
        return RunStatus(line);
    return RunInstall(line);
}

} // namespace

int main(int argc, char** argv)
{
    // Before anything is opened, so that no file takes the place of a missing one.
    MissingStandardHandles missing;
    if (!SettleStandardHandles(missing))
        return kExitInstallFailure;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    CommandLine line;
    std::string error;
    if (!CommandLine::Parse(arguments, line, error)) {
        PutText(stderr, "tarnwick-cli: " + std::string(error.c_str()) + "\n\n" + kUsage);
        return kExitInvalidCommandLine;
    }
    // Output that would go nowhere is refused before it is made; an install would otherwise
    // report success with its log thrown away.
    if (const std::string product = ProductOnStandardOutput(line); missing.output && !product.empty()) {
        ReportError("standard output is closed: " + product + " would go nowhere");
        return kExitInvalidCommandLine;
    }
    if (!SettleCallerPaths(line, error)) {
        ReportError(error);
        return kExitInvalidCommandLine;
    }
    const int code = RunCommand(line);
    // What went to standard output is the command's product (a plan, an answers file, a log): one
    // that did not all reach it (a full disk) is no success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const std::string product = ProductOnStandardOutput(line);
        if (!product.empty()) {
            ReportError("standard output could not be written completely: " + product + " is cut short");
            if (code == kExitSuccess || code == kExitRebootRequired)
                return kExitInstallFailure;
        }
    }
    return code;
}
