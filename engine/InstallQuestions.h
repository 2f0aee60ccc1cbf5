// The questions and messages the install puts to the user, in one place, so a front end that
// answers them without a person recognises exactly the texts the install shows.
#pragma once

#include <string>

// Asked before a destination folder that does not exist is created.
inline std::string CreateFolderQuestion(const std::string& folder)
{
    return "The folder " + folder + " does not exist\nWould you like to create it?";
}

inline bool IsCreateFolderQuestion(const std::string& text)
{
    static const std::string kStart = "The folder ";
    static const std::string kEnd = " does not exist\nWould you like to create it?";
    return text.size() >= kStart.size() + kEnd.size() && text.compare(0, kStart.size(), kStart) == 0
        && text.compare(text.size() - kEnd.size(), kEnd.size(), kEnd) == 0;
}

// Shown when an option fails; the options after it are not applied.
inline constexpr char kSetupAbortedMessage[] = "Setup has been aborted\nPlease Change your settings.";

// Asked after the options of a package that wants the server restarted.
inline constexpr char kRestartQuestion[] = "You need to Restart ColdFusion.\nWould you like to do this now?";
