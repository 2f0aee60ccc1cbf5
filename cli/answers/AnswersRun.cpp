#include "cli/answers/AnswersRun.h"

#include "cli/answers/Answers.h"
#include "cli/ExitCodes.h"
#include "cli/install/InstallChoices.h"
#include "settings/JvmSettings.h"

#include <array>
#include <cstdio>

namespace {

// The answers the wizard would take on this machine, each one given.
Answers EffectiveAnswers(const Package& package, const Choices& choices)
{
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
    return effective;
}

// What each key's comment tells: where the wizard asks it, and what it offers.
std::array<std::string, answerKeyCount> Comments(const Package& package, const Choices& choices)
{
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
    return comments;
}

} // namespace

int PrintAnswers(const CommandLine& line)
{
    Package package;
    if (!OpenPackage(line.package, package))
        return kExitBadPackage;
    const Answers none;
    const Choices choices = Decide(package, none);
    const std::string text = Answers::Format(EffectiveAnswers(package, choices), Comments(package, choices),
        "Answers for " + package.config.getInstallTitle()
            + ", as the wizard would install it on this machine.\n" + "tarnwick-cli install --answers FILE");
    // Standard output ends each line as the system does (CR LF on Windows, where it is a text
    // stream): the file's own CRs would come out doubled, and the file read back would be refused.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            lines += text[i];
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    return kExitSuccess;
}
