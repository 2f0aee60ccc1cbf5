#include "cli/install/InstallRun.h"

#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/install/AnsweringService.h"
#include "cli/install/InstallChoices.h"
#include "cli/install/ObservedChanges.h"
#include "cli/install/Rollback.h"
#include "cli/log/EventLog.h"
#include "cli/RunFrame.h"
#include "engine/InstallSteps.h"
#include "platform/MachineSetup.h"
#include "platform/PlannedMachine.h"
#include "settings/JvmSettings.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr char kPlanFails[] = "The plan of this install shows that it would fail: nothing was changed";

// The backup folder is settled before the log is opened: a log file named again is replaced, and
// the log of an earlier install is what undo needs, so a run refused for its backup folder must
// leave it as it was. false with the reason reported; created: the run made the folder.
bool SettleBackupFolder(MachineChanges& machine, const std::string& folder, bool& created)
{
    const PathState state = machine.LookAt(folder);
    if (!state.present)
        created = machine.CreateFolder(folder) != FALSE;
    if (state.present ? !state.folder : !created) {
        ReportError("cannot use " + folder + " as the backup folder");
        return false;
    }
    return true;
}

// The start event, with every answer's effective value and where it came from, and the warnings.
void WriteStart(EventLog& log, const CommandLine& line, const Package& package, const Answers& answers,
    const Choices& choices)
{
    const std::array<std::string, answerKeyCount> values = EffectiveValues(choices);
    InstallStartEvent start { .version = TARNWICK_VERSION,
        .command = line.command,
        .computer = ComputerName(),
        .package = line.package,
        .title = package.config.getInstallTitle(),
        .backup = line.backup && line.command != "plan" ? *line.backup : std::string() };
    for (std::size_t i = 0; i < answerKeyCount; ++i) {
        const auto key = static_cast<AnswerKey>(i);
        start.answers.push_back({ std::string(Answers::KeyName(key)), values[i],
            std::string(Answers::SourceName(answers.SourceOf(key))) });
    }
    log.Write(start, (line.command == "plan" ? "Plan for " : "Installing ") + package.config.getInstallTitle());
    for (const std::string& warning : choices.warnings)
        log.Write(MessageEvent { .text = warning, .warning = true }, "warning: " + warning);
}

// Every option the product's install sequence applies, answered as choices say; the exit code.
int Apply(EventLog& log, ObservedChanges& changes, const Package& package,
    const Choices& choices)
{
    MachineChanges* previous = SetMachineChanges(&changes);
    bool aborted = false;
    bool restartDeclined = false;
    {
        AnsweringService questions(log, choices.createFolders, choices.restartServer);
        if (choices.jvm == Choices::Jvm::Keep)
            log.Write(AnswerEvent { .question = JvmSettings::kSkipQuestion, .yes = true });
        StoreJvmChoice(choices);

        const ConfigOptionList options = package.config.getOptions();
        // The engine counts an option whose registry writes were refused as installed; the log
        // does not: what it meant to change did not change.
        unsigned failedBefore = changes.GetCounts().failedWrites;
        const bool applied = InstallPackage(
            package.config, choices.ticked, choices.directories, [&](std::size_t i, bool applied) {
                const ConfigOption& option = *options[i];
                const bool done = applied && changes.GetCounts().failedWrites == failedBefore;
                failedBefore = changes.GetCounts().failedWrites;
                log.Write(OptionEvent { .number = static_cast<int>(i + 1),
                              .caption = option.getCaption(),
                              .type = option.getType(),
                              .done = done },
                    "option " + std::to_string(i + 1) + " (" + OptionTypeText(option.getType()) + ") "
                        + option.getCaption() + ": " + (done ? "done" : "FAILED"));
            });
        aborted = !applied || questions.Aborted();
        restartDeclined = questions.RestartDeclined();
    }
    (void)SetMachineChanges(previous);

    const ObservedChanges::Counts& counts = changes.GetCounts();
    if (aborted || counts.failedWrites > 0)
        return kExitInstallFailure;
    if (package.config.restartServer && (restartDeclined || counts.failedCommands > 0))
        return kExitRebootRequired;
    return kExitSuccess;
}

// The install's own plan, made first: false when it shows the install must fail (a folder that
// cannot be made, a copy the machine would refuse, a key it may not write), with what it found
// reported, so that the install is refused before its first change.
bool PlanSucceeds(EventLog& log, const Package& package, const Choices& choices)
{
    PlannedMachine planned;
    EventLog plan;
    std::vector<std::string> found;
    plan.KeepTexts(&found);
    ObservedChanges changes(plan, planned);
    if (Apply(plan, changes, package, choices) != kExitInstallFailure)
        return true;
    log.Write(MessageEvent { .text = kPlanFails }, kPlanFails);
    for (const std::string& text : found)
        log.Write(MessageEvent { .text = "plan: " + text }, "plan: " + text);
    return false;
}

int Finish(RunFrame& frame, const InstallEndEvent& end)
{
    const ObservedChanges::Counts& counts = end.counts;
    std::string summary = std::to_string(counts.folders) + " folders created, " + std::to_string(counts.files)
        + " files (" + std::to_string(counts.bytes) + " bytes) copied, " + std::to_string(counts.keys)
        + " keys created, " + std::to_string(counts.values) + " values written";
    if (end.rolledBack && end.notRolledBack.empty())
        summary += "; all of it rolled back: the machine is as before";
    else if (end.rolledBack)
        summary += "; NOT rolled back: " + std::to_string(end.notRolledBack.size())
            + " changes could not be taken back (kept, listed above)";
    return frame.Finish(end, summary);
}

int Finish(RunFrame& frame, const ObservedChanges::Counts& counts, int code)
{
    return Finish(frame, InstallEndEvent { .exit = code, .counts = counts });
}

void Tell(EventLog& log, const std::string& text)
{
    log.Write(MessageEvent { .text = text }, text);
}

// The install's changes and, with --rollback, when they failed, the taking back of all of them;
// the exit code. Files replaced are kept in --backup, or else in a folder of the run's own that
// goes once nothing needs it.
int InstallChanges(RunFrame& frame, const CommandLine& line, ObservedChanges& changes, const Package& package,
    const Choices& choices)
{
    EventLog& log = frame.Log();
    RunRecord record;
    std::string own;
    if (line.rollback) {
        changes.SetRecord(&record);
        if (!line.backup && !MakeOwnBackupFolder(frame.Machine(), own)) {
            Tell(log, "cannot make a folder to keep the files the install replaces: nothing was changed");
            return Finish(frame, changes.GetCounts(), kExitInstallFailure);
        }
        if (!own.empty())
            changes.SetBackupFolder(own);
    }
    InstallEndEvent end { .exit = Apply(log, changes, package, choices), .counts = changes.GetCounts() };
    if (line.rollback && end.exit == kExitInstallFailure) {
        end.rolledBack = true;
        end.notRolledBack = RollBack(log, frame.Machine(), record, line.backup ? *line.backup : own);
    }
    if (!own.empty() && !end.notRolledBack.empty())
        Tell(log, "the files this install replaced are kept in " + own);
    else if (!own.empty() && !RemoveOwnBackupFolder(frame.Machine(), record, own))
        Tell(log, "cannot remove " + own + ", the folder this install kept the files it replaced in");
    end.time = std::chrono::system_clock::now(); // the end follows the rollback's lines
    return Finish(frame, end);
}

} // namespace

int RunInstall(const CommandLine& line)
{
    Package package;
    Answers answers;
    if (const int unread = ReadInputs(line, package, answers); unread != kExitSuccess)
        return unread;
    RunFrame frame(line.command == "plan");
    if (const int refused = frame.Lock("another tarnwick-cli install is running on this machine"); refused != kExitSuccess)
        return refused;
    if (!frame.IsPlan() && !frame.ReadLogKey())
        return kExitInstallFailure; // a log undo would refuse is no record of an install
    const bool backup = line.backup && !frame.IsPlan();
    bool backupCreated = false;
    if (backup && !SettleBackupFolder(frame.Machine(), *line.backup, backupCreated))
        return kExitInvalidCommandLine;
    if (!frame.OpenLog(
            frame.IsPlan() ? (line.json ? std::optional<std::string>("-") : std::nullopt) : line.log)) {
        if (backupCreated)
            (void)frame.Machine().RemoveFolder(*line.backup); // nothing is left of a refused run
        return kExitInvalidCommandLine;
    }
    EventLog& log = frame.Log();
    // People read a plan's changes on standard output, an install's progress on standard error,
    // wherever its log goes: a failure that only the log told would pass unseen in a deployment
    // tool's output.
    log.DescribeChanges(frame.IsPlan() && !line.json);
    if (frame.IsPlan())
        log.SetConsole(line.json ? nullptr : stdout);
    else
        log.SetConsole(stderr);

    const Choices choices = Decide(package, answers);
    WriteStart(log, line, package, answers, choices);
    ObservedChanges changes(log, frame.Machine());
    changes.SetProgress(!line.log && StandardErrorIsTerminal());
    changes.SetDigests(!frame.IsPlan() && log.HasLog());
    log.WriteIntents(!frame.IsPlan() && log.HasLog());
    if (backup)
        changes.SetBackupFolder(*line.backup);
    if (package.licence.found && !choices.acceptLicense) {
        log.Write(MessageEvent { .text = "The licence was not accepted (AcceptLicense=yes)" },
            "The package has a licence: accept it with AcceptLicense=yes. Nothing was changed.");
        return Finish(frame, changes.GetCounts(), kExitUserExit);
    }
    if (!frame.IsPlan() && !PlanSucceeds(log, package, choices))
        return Finish(frame, changes.GetCounts(), kExitInstallFailure);
    return InstallChanges(frame, line, changes, package, choices);
}
