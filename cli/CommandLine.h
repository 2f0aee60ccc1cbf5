// tarnwick-cli's command line: one command and its options.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    std::string command; // check, answers, plan, install, help, version
    std::string package = "."; // the package folder; the current directory by default
    std::optional<std::string> answersFile;
    std::vector<std::string> sets; // KEY=VALUE, in order
    std::optional<std::string> log; // install: the log file, "-" for standard output
    bool json = false; // check and plan: JSON instead of text

    // Reads argv; false with a message for anything it does not know.
    static bool Parse(const std::vector<std::string>& arguments, CommandLine& out, std::string& error);
};

// What --help prints.
extern const char kUsage[];
