#include "cli/install/InstallChoices.h"

#include "cli/ConsoleText.h"
#include "cli/ExitCodes.h"
#include "cli/WholeFile.h"
#include "config/ConfigParser.h"
#include "engine/PathText.h"
#include "platform/MachineSetup.h"
#include "settings/JvmSettings.h"

#include <algorithm>
#include <set>

namespace {

constexpr int kOptionBoxes = Answers::maxOptions;
// Far more than eight keys and their comments: a larger file is not an answers file.
constexpr std::size_t kMostAnswersBytes = 1 << 20;

std::string DirectoryDefault(bool visible, const std::string& value)
{
    // A hidden row's box stays empty on the main page.
    return visible ? DirectoryRowDefault(value) : std::string();
}

std::string OptionList(const std::vector<bool>& ticked)
{
    std::string text;
    for (std::size_t i = 0; i < ticked.size(); ++i)
        if (ticked[i])
            text += (text.empty() ? "" : ",") + std::to_string(i + 1);
    return text;
}

} // namespace

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

int ReadInputs(const CommandLine& line, Package& package, Answers& answers)
{
    if (!OpenPackage(line.package, package))
        return kExitBadPackage;
    if (!ReadAnswers(line, package, answers))
        return kExitInvalidCommandLine;
    return kExitSuccess;
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
    for (const std::string& error : parsed.ShownErrors())
        PutText(stderr, error.c_str() + std::string("\n"));
    if (!parsed.errors.empty())
        return false;
    answers = std::move(parsed.answers);
    return true;
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

void StoreJvmChoice(const Choices& choices)
{
    if (choices.jvm == Choices::Jvm::Store)
        JvmSettings::StoreJvmPath(choices.jvmPath);
}

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
