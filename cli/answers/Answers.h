// The answers of an unattended install: what a person would have chosen in the wizard, read from an
// INI file (section [Tarnwick], the way Inno Setup's /LOADINF and unattend files keep theirs) and
// from --set KEY=VALUE, which override the file. Every key is optional: an absent one leaves the
// choice to the wizard's own default. Any mistake stops the run before anything changes, so an
// administrator never gets an install that half follows a misspelt file.
#pragma once

#include "config/InstallConfig.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class AnswerKey { AcceptLicense, Jvm, Dir1, Dir2, Dir3, Options, CreateFolders, RestartServer };
inline constexpr std::size_t answerKeyCount = 8;

// Where an answer came from, for the log.
enum class AnswerSource { Default, File, Set };

struct ParsedAnswers;

struct Answers {
    // The main page shows at most this many options.
    static constexpr int maxOptions = static_cast<int>(InstallConfig::maxOptions);
    // The longest Dir: CreateDirectoryA takes at most MAX_PATH less the room of an 8.3 file name.
    static constexpr std::size_t maxFolderLength = 247;
    // The Jvm answer that keeps the server's configured runtime.
    static constexpr std::string_view keepJvm = "keep";

    std::optional<bool> acceptLicense;
    std::optional<std::string> jvm; // a runtime path, or exactly keepJvm
    std::array<std::optional<std::string>, 3> dirs;
    std::optional<std::vector<int>> options; // ascending option numbers; empty: none
    std::optional<bool> createFolders;
    std::optional<bool> restartServer;
    std::array<AnswerSource, answerKeyCount> sources {};

    bool operator==(const Answers&) const = default;

    // The key as files spell it ("AcceptLicense"), and "default", "file" or "--set".
    [[nodiscard]] static std::string_view KeyName(AnswerKey key);
    [[nodiscard]] static std::string_view SourceName(AnswerSource source);

    [[nodiscard]] AnswerSource SourceOf(AnswerKey key) const
    {
        return sources[static_cast<std::size_t>(key)];
    }
    // The answer as a file writes it ("yes", "1,3", a path); nothing when it is absent.
    [[nodiscard]] std::optional<std::string> ValueText(AnswerKey key) const;

    // Reads the file's text (empty when there is no file), then each --set text ("KEY=VALUE") over
    // it. fileName names the file in messages. optionCount is the number of options the package
    // has: a number past it is a mistake. Texts are in the system code page.
    [[nodiscard]] static ParsedAnswers Parse(std::string_view fileName, std::string_view fileText,
        const std::vector<std::string>& sets, int optionCount);

    // A complete answers file: header and each key's comment as "; " lines, [Tarnwick], and each
    // present key as Key=value, with Windows line ends. A value that cannot stand on one line is
    // left out with a comment saying so.
    [[nodiscard]] static std::string Format(const Answers& answers,
        const std::array<std::string, answerKeyCount>& comments, std::string_view header = {});
};

struct ParsedAnswers {
    Answers answers;
    // Every mistake as "FILE:LINE: message" or "--set:N: message" (N counts the --set options
    // from 1); the run must not go on when there is one.
    std::vector<std::string> errors;

    // The errors a person is shown: the first mostShown, then "and N more".
    static constexpr std::size_t mostShown = 20;
    [[nodiscard]] std::vector<std::string> ShownErrors() const;
};
