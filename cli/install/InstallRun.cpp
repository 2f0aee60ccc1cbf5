#include "cli/install/InstallRun.h"

#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/install/AnsweringService.h"
#include "cli/install/InstallChoices.h"
#include "cli/install/ObservedChanges.h"
#include "cli/log/EventLog.h"
#include "cli/RunFrame.h"
#include "engine/InstallSteps.h"
#include "platform/MachineSetup.h"
#include "settings/JvmSettings.h"

#include <array>
#include <cstdio>

namespace {

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
void WriteStart(EventLog& log, JsonLine start, const CommandLine& line, const Package& package,
    const Answers& answers, const Choices& choices)
{
    const std::array<std::string, answerKeyCount> values = EffectiveValues(choices);
    JsonLine used;
    for (std::size_t i = 0; i < answerKeyCount; ++i) {
        const auto key = static_cast<AnswerKey>(i);
        JsonLine entry;
        entry.Add("value", values[i]).Add("source", Answers::SourceName(answers.SourceOf(key)));
        used.AddObject(Answers::KeyName(key), entry);
    }
    log.Write(start.Add("package", line.package)
                  .Add("title", package.config.getInstallTitle())
                  .AddObject("answers", used),
        (line.command == "plan" ? "Plan for " : "Installing ") + package.config.getInstallTitle());
    for (const std::string& warning : choices.warnings)
        log.Write(
            JsonLine::Event("message").Add("text", warning).Add("warning", true), "warning: " + warning);
}

// Every option the product's install sequence applies, answered as choices say; the exit code.
int Apply(EventLog& log, ObservedChanges& changes, const CommandLine& line, const Package& package,
    const Choices& choices)
{
    MachineChanges* previous = SetMachineChanges(&changes);
    bool aborted = false;
    bool restartDeclined = false;
    {
        AnsweringService questions(log, choices.createFolders, choices.restartServer);
        if (choices.jvm == Choices::Jvm::Keep)
            log.Write(
                JsonLine::Event("answer").Add("question", JvmSettings::kSkipQuestion).Add("answer", "yes"));
        else if (choices.jvm == Choices::Jvm::Store)
            JvmSettings::StoreJvmPath(choices.jvmPath);

        const ConfigOptionList options = package.config.getOptions();
        // The engine counts an option whose registry writes were refused as installed; the log
        // does not: what it meant to change did not change.
        unsigned failedBefore = changes.GetCounts().failedWrites;
        const bool applied = InstallPackage(
            package.config, choices.ticked, choices.directories, [&](std::size_t i, bool applied) {
                const ConfigOption& option = *options[i];
                const bool done = applied && changes.GetCounts().failedWrites == failedBefore;
                failedBefore = changes.GetCounts().failedWrites;
                if (changes.GetCounts().files >= 100 && !line.log && StandardErrorIsTerminal())
                    std::fputc('\n', stderr);
                log.Write(JsonLine::Event("option")
                              .Add("number", static_cast<int>(i + 1))
                              .Add("caption", option.getCaption())
                              .Add("type", option.getType())
                              .Add("result", done ? "done" : "failed"),
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

int Finish(RunFrame& frame, const ObservedChanges::Counts& counts, int code)
{
    JsonLine line;
    line.Add("folders", counts.folders)
        .Add("files", counts.files)
        .Add("bytes", counts.bytes)
        .Add("keys", counts.keys)
        .Add("values", counts.values)
        .Add("failedCopies", counts.failedCopies)
        .Add("failedWrites", counts.failedWrites)
        .Add("commands", counts.commands)
        .Add("failedCommands", counts.failedCommands);
    return frame.Finish(code, line,
        std::to_string(counts.folders) + " folders created, " + std::to_string(counts.files) + " files ("
            + std::to_string(counts.bytes) + " bytes) copied, " + std::to_string(counts.keys)
            + " keys created, " + std::to_string(counts.values) + " values written");
}

} // namespace

int RunInstall(const CommandLine& line)
{
    Package package;
    if (!OpenPackage(line.package, package))
        return kExitBadPackage;
    Answers answers;
    if (!ReadAnswers(line, package, answers))
        return kExitInvalidCommandLine;
    RunFrame frame(line.command == "plan");
    if (!frame.Lock("another tarnwick-cli install is running on this machine"))
        return kExitAlreadyRunning;
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
    // People read a plan's changes on standard output, an install's progress on standard error.
    log.DescribeChanges(frame.IsPlan() && !line.json);
    if (frame.IsPlan() && !line.json)
        log.SetConsole(stdout);
    else if (!log.HasLog() || line.log == std::string("-"))
        log.SetConsole(line.log == std::string("-") ? nullptr : stderr);

    const Choices choices = Decide(package, answers);
    WriteStart(log, frame.StartEvent(line.command), line, package, answers, choices);
    ObservedChanges changes(log, frame.Machine());
    changes.SetProgress(!line.log && StandardErrorIsTerminal());
    changes.SetDigests(!frame.IsPlan() && log.HasLog());
    if (backup)
        changes.SetBackupFolder(*line.backup);
    if (package.licence.found && !choices.acceptLicense) {
        log.Write(JsonLine::Event("message").Add("text", "The licence was not accepted (AcceptLicense=yes)"),
            "The package has a licence: accept it with AcceptLicense=yes. Nothing was changed.");
        return Finish(frame, changes.GetCounts(), kExitUserExit);
    }
    const int code = Apply(log, changes, line, package, choices);
    return Finish(frame, changes.GetCounts(), code);
}
