// tarnwick-cli's command line: one command and its options.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    std::string command; // check, answers, plan, install, status, undo, help, version
    std::string package = "."; // the package folder; the current directory by default
    std::optional<std::string> answersFile;
    std::vector<std::string> sets; // KEY=VALUE, in order
    std::optional<std::string> log; // install: the log file, "-" for standard output
    std::optional<std::string> installLog; // undo: the install's log it takes back (--log)
    std::optional<std::string> backup; // install: where each file is kept before it is replaced
    std::optional<std::string> logOut; // undo: its own log, "-" for standard output
    bool force = false; // undo: also a log written on another computer
    bool json = false; // check, plan, status and undo --plan: JSON instead of text
    bool plan = false; // undo: tell what it would do, and change nothing
    bool rollback = false; // install: a failed install takes back what it changed

    // Reads argv; false with a message for anything it does not know.
    static bool Parse(const std::vector<std::string>& arguments, CommandLine& out, std::string& error);
};

// What --help prints.
extern const char kUsage[];
