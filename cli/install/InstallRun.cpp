#include "cli/install/InstallRun.h"

#include "cli/answers/Answers.h"
#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/install/AnsweringService.h"
#include "cli/install/ObservedChanges.h"
#include "cli/log/EventLog.h"
#include "cli/RunFrame.h"
#include "cli/WholeFile.h"
#include "config/ConfigParser.h"
#include "engine/InstallSteps.h"
#include "engine/PathText.h"
#include "platform/MachineSetup.h"
#include "settings/JvmSettings.h"
#include "settings/LicenseText.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr int kOptionBoxes = Answers::maxOptions;
// Far more than eight keys and their comments: a larger file is not an answers file.
constexpr std::size_t kMostAnswersBytes = 1 << 20;

// The package as the wizard reads it, from inside its folder, so a folder deeper than MAX_PATH
// works: its files are opened by their relative names.
struct Package {
    InstallConfig config;
    LicenseText licence;
};

bool OpenPackage(const std::string& folder, Package& package)
{
    std::string error;
    if (!EnterFolder(folder, error)) {
        ReportError(error);
        return false;
    }
    ConfigParser parser;
    package.config = parser.parse("install.conf");
    if (!parser.loaded) {
        ReportError(folder.c_str() + std::string(" holds no readable install.conf"));
        return false;
    }
    package.licence = ReadLicenseText();
    return true;
}

bool ReadAnswers(const CommandLine& line, const Package& package, Answers& answers)
{
    std::string text;
    std::string name = "--answers";
    if (line.answersFile) {
        name = *line.answersFile;
        if (!ReadWholeFile(name, kMostAnswersBytes, text)) {
            ReportError("cannot read the answers file " + name);
            return false;
        }
    }
    const int optionCount
        = static_cast<int>(std::min<std::size_t>(package.config.getOptions().size(), kOptionBoxes));
    ParsedAnswers parsed = Answers::Parse(name, text, line.sets, optionCount);
    for (const std::string& error : parsed.errors)
        PutText(stderr, error.c_str() + std::string("\n"));
    if (!parsed.errors.empty())
        return false;
    answers = std::move(parsed.answers);
    return true;
}

// What each answer comes to on this machine: the given one, or what the wizard would have done.
struct Choices {
    bool acceptLicense = false;
    enum class Jvm { NotJava, Keep, Store, None } jvm = Jvm::NotJava;
    std::string jvmPath; // Store: the path as given or found
    DirectoryTexts directories;
    std::vector<bool> ticked;
    bool createFolders = true;
    bool restartServer = false;
    std::vector<std::string> warnings;
};

std::string DirectoryDefault(bool visible, const std::string& value)
{
    // A hidden row's box stays empty on the main page.
    return visible ? DirectoryRowDefault(value) : std::string();
}

Choices Decide(const Package& package, const Answers& answers)
{
    const InstallConfig& config = package.config;
    Choices choices;
    choices.acceptLicense = answers.acceptLicense.value_or(false);
    if (!config.isJava) {
        if (answers.jvm)
            choices.warnings.push_back("Jvm is ignored: the package is not a Java package");
    } else if (answers.jvm && *answers.jvm != Answers::keepJvm) {
        choices.jvm = Choices::Jvm::Store;
        choices.jvmPath = *answers.jvm;
        if (choices.jvmPath.size() > JvmSettings::kMaxPathLength)
            choices.warnings.push_back("Jvm is longer than " + std::to_string(JvmSettings::kMaxPathLength)
                + " characters; the JVM page stores only its first "
                + std::to_string(JvmSettings::kMaxPathLength));
    } else if (!JvmSettings::ConfiguredJvmPath().empty()) {
        choices.jvm = Choices::Jvm::Keep;
    } else if (answers.jvm) {
        choices.jvm = Choices::Jvm::None;
        choices.warnings.push_back("Jvm=keep, but the server has no JVM configured: JVMPath stays unset");
    } else {
        const std::set<std::string> runtimes = JvmSettings::FindRuntimeLibs();
        if (runtimes.empty()) {
            choices.jvm = Choices::Jvm::None;
            choices.warnings.push_back("no Java runtime is installed: JVMPath stays unset");
        } else {
            choices.jvm = Choices::Jvm::Store;
            choices.jvmPath = *runtimes.begin();
        }
    }
    const std::array<std::string, 3> defaults { DirectoryDefault(config.dir1Visible, config.getDir1Value()),
        DirectoryDefault(config.dir2Visible, config.getDir2Value()),
        DirectoryDefault(config.dir3Visible, config.getDir3Value()) };
    choices.directories = DirectoryTexts { answers.dirs[0].value_or(defaults[0]),
        answers.dirs[1].value_or(defaults[1]), answers.dirs[2].value_or(defaults[2]) };
    const ConfigOptionList options = config.getOptions();
    const std::size_t count = std::min<std::size_t>(options.size(), kOptionBoxes);
    choices.ticked.assign(count, false);
    for (std::size_t i = 0; i < count; ++i)
        choices.ticked[i] = answers.options
            ? std::find(answers.options->begin(), answers.options->end(), static_cast<int>(i + 1))
                != answers.options->end()
            : options[i]->enabled;
    choices.createFolders = answers.createFolders.value_or(true);
    choices.restartServer = answers.restartServer.value_or(false);
    return choices;
}

std::string OptionList(const std::vector<bool>& ticked)
{
    std::string text;
    for (std::size_t i = 0; i < ticked.size(); ++i)
        if (ticked[i])
            text += (text.empty() ? "" : ",") + std::to_string(i + 1);
    return text;
}

// Each key's effective value, as an answers file writes it.
std::array<std::string, answerKeyCount> EffectiveValues(const Choices& choices)
{
    std::array<std::string, answerKeyCount> values;
    values[static_cast<std::size_t>(AnswerKey::AcceptLicense)] = choices.acceptLicense ? "yes" : "no";
    if (choices.jvm == Choices::Jvm::Store)
        values[static_cast<std::size_t>(AnswerKey::Jvm)] = choices.jvmPath;
    else if (choices.jvm != Choices::Jvm::NotJava)
        values[static_cast<std::size_t>(AnswerKey::Jvm)] = Answers::keepJvm;
    values[static_cast<std::size_t>(AnswerKey::Dir1)] = choices.directories.dir1;
    values[static_cast<std::size_t>(AnswerKey::Dir2)] = choices.directories.dir2;
    values[static_cast<std::size_t>(AnswerKey::Dir3)] = choices.directories.dir3;
    values[static_cast<std::size_t>(AnswerKey::Options)] = OptionList(choices.ticked);
    values[static_cast<std::size_t>(AnswerKey::CreateFolders)] = choices.createFolders ? "yes" : "no";
    values[static_cast<std::size_t>(AnswerKey::RestartServer)] = choices.restartServer ? "yes" : "no";
    return values;
}

const char* OptionTypeText(const std::string& type)
{
    return type.empty() ? "(none)" : type.c_str();
}

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

int PrintAnswers(const CommandLine& line)
{
    Package package;
    if (!OpenPackage(line.package, package))
        return kExitBadPackage;
    const Answers none;
    const Choices choices = Decide(package, none);
    Answers effective;
    effective.acceptLicense = choices.acceptLicense;
    if (package.config.isJava)
        effective.jvm = choices.jvm == Choices::Jvm::Store ? choices.jvmPath : std::string(Answers::keepJvm);
    effective.dirs = { choices.directories.dir1, choices.directories.dir2, choices.directories.dir3 };
    effective.options.emplace();
    for (std::size_t i = 0; i < choices.ticked.size(); ++i)
        if (choices.ticked[i])
            effective.options->push_back(static_cast<int>(i + 1));
    effective.createFolders = choices.createFolders;
    effective.restartServer = choices.restartServer;

    const InstallConfig& config = package.config;
    std::array<std::string, answerKeyCount> comments;
    const auto comment
        = [&](AnswerKey key) -> std::string& { return comments[static_cast<std::size_t>(key)]; };
    comment(AnswerKey::AcceptLicense) = package.licence.found
        ? "The licence page: \"I agree\" (yes) or not (no). Read license.txt before you answer yes."
        : "The package has no licence: not asked.";
    if (!config.isJava)
        comment(AnswerKey::Jvm) = "Not a Java package: no JVM page.";
    else if (choices.jvm == Choices::Jvm::Keep)
        comment(AnswerKey::Jvm) = "The JVM page: the server has a JVM (" + JvmSettings::ConfiguredJvmPath()
            + "); keep skips the page, a path stores it as JVMPath.";
    else
        comment(AnswerKey::Jvm) = "The JVM page: the runtime library to store as the server's JVMPath.";
    const std::array<std::pair<bool, std::string>, 3> rows { std::pair { config.dir1Visible,
                                                                 config.getDir1Caption() },
        std::pair { config.dir2Visible, config.getDir2Caption() },
        std::pair { config.dir3Visible, config.getDir3Caption() } };
    for (std::size_t i = 0; i < 3; ++i)
        comment(static_cast<AnswerKey>(static_cast<std::size_t>(AnswerKey::Dir1) + i)) = rows[i].first
            ? "The main page's folder \"" + rows[i].second + "\"."
            : "Folder row " + std::to_string(i + 1) + " is hidden on the main page.";
    std::string optionsComment = "The main page's check boxes to tick:";
    const ConfigOptionList options = config.getOptions();
    for (std::size_t i = 0; i < choices.ticked.size(); ++i)
        optionsComment += "\n" + std::to_string(i + 1) + " = " + options[i]->getCaption() + " ("
            + OptionTypeText(options[i]->getType()) + (options[i]->visible ? "" : ", hidden") + ")";
    comment(AnswerKey::Options) = optionsComment;
    comment(AnswerKey::CreateFolders) = "\"The folder ... does not exist. Would you like to create it?\"";
    comment(AnswerKey::RestartServer) = config.restartServer
        ? "\"You need to Restart ColdFusion. Would you like to do this now?\" (no: exit code 3010)"
        : "The package does not ask for a restart.";
    const std::string text = Answers::Format(effective, comments,
        "Answers for " + config.getInstallTitle() + ", as the wizard would install it on this machine.\n"
            + "tarnwick-cli install --answers FILE");
    // Standard output ends each line as the system does (CR LF on Windows, where it is a text
    // stream): the file's own CRs would come out doubled, and the file read back would be refused.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lines += text[i];
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    return kExitSuccess;
}
