#include "cli/status/StatusRun.h"

#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/install/AnsweringService.h"
#include "cli/install/InstallChoices.h"
#include "cli/log/EventLog.h"
#include "cli/status/StatusReport.h"
#include "engine/InstallSteps.h"
#include "platform/PlannedMachine.h"

#include <cstdio>

namespace {

// The install's own steps, answered as choices say, over a plan: outcome gets the items and why
// the install would stop short, if it would.
void PlanInstall(const Package& package, const Choices& choices, StatusOutcome& outcome)
{
    if (package.licence.found && !choices.acceptLicense) {
        outcome.stop = "the licence is not accepted (AcceptLicense=yes): install would change nothing";
        return;
    }
    PlannedMachine plan;
    DesiredState desired(plan);
    MachineChanges* previous = SetMachineChanges(&desired);
    {
        EventLog nowhere; // the questions and their answers are install's to log
        AnsweringService questions(nowhere, choices.createFolders, choices.restartServer);
        StoreJvmChoice(choices);
        const ConfigOptionList options = package.config.getOptions();
        const bool applied = InstallPackage(
            package.config, choices.ticked, choices.directories, [&](std::size_t i, bool done) {
                if (!done && outcome.stop.empty())
                    outcome.stop = "install would stop at option " + std::to_string(i + 1) + " ("
                        + options[i]->getCaption() + "), and leave what follows it undone";
            });
        if ((!applied || questions.Aborted()) && outcome.stop.empty())
            outcome.stop = "install would stop before it ends";
    }
    (void)SetMachineChanges(previous);
    outcome.items = desired.Items();
}

void Compare(StatusOutcome& outcome)
{
    MachineChanges machine; // the platform's own reads, never the plan's
    outcome.findings.reserve(outcome.items.size());
    for (const DesiredItem& item : outcome.items)
        outcome.findings.push_back(CheckItem(item, machine));
}

void PrintJson(const StatusOutcome& outcome)
{
    std::string text;
    for (std::size_t i = 0; i < outcome.items.size(); ++i)
        text += ItemJson(outcome.items[i], outcome.findings[i]).Text() + "\n";
    text += SummaryJson(outcome).Text() + "\n";
    PutText(stdout, text);
}

// Nothing on standard output: a detection rule reads any output there as installed.
void PrintDifferences(const StatusOutcome& outcome)
{
    std::string text;
    for (const std::string& warning : outcome.warnings)
        text += "warning: " + warning + "\n";
    for (std::size_t i = 0; i < outcome.items.size(); ++i)
        if (const std::string line = DifferenceText(outcome.items[i], outcome.findings[i]); !line.empty())
            text += line + "\n";
    if (!outcome.stop.empty())
        text += outcome.stop + "\n";
    PutText(stderr, text + SummaryText(outcome) + "\n");
}

} // namespace

int RunStatus(const CommandLine& line)
{
    Package package;
    Answers answers;
    if (const int unread = ReadInputs(line, package, answers); unread != kExitSuccess)
        return unread;
    const Choices choices = Decide(package, answers);
    StatusOutcome outcome;
    outcome.title = package.config.getInstallTitle();
    outcome.warnings = choices.warnings;
    PlanInstall(package, choices, outcome);
    Compare(outcome);
    const bool installed = outcome.Installed();
    if (line.json)
        PrintJson(outcome);
    else if (installed)
        PutText(stdout, "installed: " + outcome.title + "\n");
    else
        PrintDifferences(outcome);
    return installed ? kExitSuccess : kExitNotInstalled;
}
