// The questions and messages the install puts to the user, in one place, so a front end that
// answers them without a person recognises exactly the texts the install shows.
#pragma once

#include <string>
#include <string_view>

// Asked before a destination folder that does not exist is created: the folder goes between the two.
inline constexpr std::string_view kCreateFolderQuestionStart = "The folder ";
inline constexpr std::string_view kCreateFolderQuestionEnd = " does not exist\nWould you like to create it?";

inline std::string CreateFolderQuestion(const std::string& folder)
{
    return std::string(kCreateFolderQuestionStart) + folder + std::string(kCreateFolderQuestionEnd);
}

inline bool IsCreateFolderQuestion(std::string_view text)
{
    return text.size() >= kCreateFolderQuestionStart.size() + kCreateFolderQuestionEnd.size()
        && text.starts_with(kCreateFolderQuestionStart) && text.ends_with(kCreateFolderQuestionEnd);
}

// Shown when an option fails; the options after it are not applied.
inline constexpr char kSetupAbortedMessage[] = "Setup has been aborted\nPlease Change your settings.";

// Asked after the options of a package that wants the server restarted.
inline constexpr char kRestartQuestion[] = "You need to Restart ColdFusion.\nWould you like to do this now?";
