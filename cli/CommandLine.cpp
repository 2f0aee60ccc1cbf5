#include "cli/CommandLine.h"

#include <array>
#include <set>
#include <string_view>

const char kUsage[]
    = "Usage:\n"
      "  tarnwick-cli check   [--package DIR] [--json]\n"
      "  tarnwick-cli answers [--package DIR]\n"
      "  tarnwick-cli plan    [--package DIR] [--answers FILE] [--set KEY=VALUE]... [--json]\n"
      "  tarnwick-cli install [--package DIR] [--answers FILE] [--set KEY=VALUE]... [--log FILE]\n"
      "                       [--backup DIR] [--rollback]\n"
      "  tarnwick-cli status  [--package DIR] [--answers FILE] [--set KEY=VALUE]... [--json]\n"
      "  tarnwick-cli undo    --log FILE [--log-out FILE | --plan [--json]] [--force]\n"
      "  tarnwick-cli --help | --version\n"
      "\n"
      "check    reports what the wizard would silently do with install.conf, as FILE:LINE:COLUMN:\n"
      "answers  prints a complete answers file for the package on this machine\n"
      "plan     prints every change install would make, and changes nothing\n"
      "install  installs the package without a person: no window, no prompt; with --rollback\n"
      "         a failed install takes back what it changed\n"
      "status   tells whether the machine holds what install would leave on it, and changes\n"
      "         nothing: 'installed: TITLE' and 0, or each difference on standard error and 1\n"
      "undo     takes back what an install log records, where the machine still holds it;\n"
      "         with --plan it prints what it would take back, and changes nothing\n"
      "\n"
      "--package defaults to the current directory. Answer keys (section [Tarnwick]):\n"
      "AcceptLicense, Jvm, Dir1, Dir2, Dir3, Options, CreateFolders, RestartServer.\n"
      "Exit codes: 0 installed, 3010 restart needed, 1602 licence not accepted,\n"
      "1603 failed, 1618 another install is running, 1619 no package, 1639 bad command line.\n"
      "status: 0 installed, 1 not installed or not as install would leave it.\n"
      "undo: 0 all undone, 1603 something was kept (listed), 1639 a log it cannot use.\n";

namespace {

bool Allowed(const std::string& command, const std::string& option)
{
    if (option == "--package")
        return command != "undo";
    if (option == "--json")
        return command == "check" || command == "plan" || command == "status" || command == "undo";
    if (option == "--answers" || option == "--set")
        return command == "plan" || command == "install" || command == "status";
    if (option == "--log")
        return command == "install" || command == "undo";
    // A plan changes nothing, so it has nothing to take back.
    if (option == "--backup" || option == "--rollback")
        return command == "install";
    if (option == "--log-out" || option == "--force" || option == "--plan")
        return command == "undo";
    return false;
}

// The first argument and the command it names.
struct CommandWord {
    std::string_view name;
    std::string_view command;
};
constexpr std::array<CommandWord, 11> kCommandWords { { { "--help", "help" }, { "-h", "help" },
    { "/?", "help" }, { "help", "help" }, { "--version", "version" }, { "check", "check" },
    { "answers", "answers" }, { "plan", "plan" }, { "install", "install" }, { "status", "status" },
    { "undo", "undo" } } };

// The options that take no value.
struct Flag {
    std::string_view name;
    bool CommandLine::*member;
};
constexpr std::array<Flag, 4> kFlags { { { "--json", &CommandLine::json }, { "--force", &CommandLine::force },
    { "--plan", &CommandLine::plan }, { "--rollback", &CommandLine::rollback } } };

// The options that take one, and where it goes.
struct ValueOption {
    std::string_view name;
    void (*store)(CommandLine& line, const std::string& value);
};
constexpr std::array<ValueOption, 6> kValueOptions { {
    { "--package", [](CommandLine& line, const std::string& value) { line.package = value; } },
    { "--answers", [](CommandLine& line, const std::string& value) { line.answersFile = value; } },
    { "--set", [](CommandLine& line, const std::string& value) { line.sets.push_back(value); } },
    { "--log",
        [](CommandLine& line, const std::string& value) {
            // What install writes is what undo reads.
            (line.command == "undo" ? line.installLog : line.log) = value;
        } },
    { "--backup", [](CommandLine& line, const std::string& value) { line.backup = value; } },
    { "--log-out", [](CommandLine& line, const std::string& value) { line.logOut = value; } },
} };

template<typename Entry, std::size_t count>
const Entry* Find(const std::array<Entry, count>& table, std::string_view name)
{
    for (const Entry& entry : table)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

bool SetFlag(const Flag& flag, const std::optional<std::string>& value, CommandLine& out,
    std::set<std::string>& seen, std::string& error)
{
    const std::string option(flag.name);
    if (value) {
        error = option + " takes no value";
        return false;
    }
    if (!seen.insert(option).second) {
        error = option + " given twice";
        return false;
    }
    out.*flag.member = true;
    return true;
}

// The option at arguments[i], as --name=value, or as --name with its value in the next argument
// (i then moves on to it).
bool ReadOption(const std::vector<std::string>& arguments, std::size_t& i, CommandLine& out,
    std::set<std::string>& seen, std::string& error)
{
    std::string option = arguments[i];
    std::optional<std::string> value;
    const std::size_t equals = option.find('=');
    if (option.rfind("--", 0) == 0 && equals != std::string::npos) {
        value = option.substr(equals + 1);
        option.erase(equals);
    }
    if (!Allowed(out.command, option)) {
        error = option.rfind("--", 0) == 0 ? out.command + " has no option " + option
                                           : "unexpected argument " + option;
        return false;
    }
    if (const Flag* flag = Find(kFlags, option))
        return SetFlag(*flag, value, out, seen, error);
    if (!value) {
        if (i + 1 >= arguments.size()) {
            error = option + " needs a value";
            return false;
        }
        value = arguments[++i];
    }
    if (option != "--set" && !seen.insert(option).second) {
        error = option + " given twice";
        return false;
    }
    if (const ValueOption* target = Find(kValueOptions, option))
        target->store(out, *value);
    return true;
}

// What undo's options allow together.
bool CheckUndo(const CommandLine& line, std::string& error)
{
    const char* refusal = nullptr;
    if (line.command != "undo")
        return true;
    if (!line.installLog)
        refusal = "undo needs --log FILE, the log of the install to take back";
    else if (line.plan && line.logOut)
        refusal = "undo --plan changes nothing and writes no log: --log-out does not go with it";
    else if (line.json && !line.plan)
        refusal = "undo --json goes with --plan; the log of an undo is --log-out";
    if (refusal)
        error = refusal;
    return !refusal;
}

} // namespace

bool CommandLine::Parse(const std::vector<std::string>& arguments, CommandLine& out, std::string& error)
{
    out = CommandLine {};
    if (arguments.empty()) {
        error = "no command given";
        return false;
    }
    const CommandWord* word = Find(kCommandWords, arguments[0]);
    if (!word) {
        error = "unknown command " + arguments[0];
        return false;
    }
    out.command = word->command;
    if (out.command == "help" || out.command == "version") {
        if (arguments.size() > 1)
            error = (out.command == "help" ? "--help" : "--version") + std::string(" takes nothing more");
        return arguments.size() == 1;
    }
    std::set<std::string> seen;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        if (!ReadOption(arguments, i, out, seen, error))
            return false;
    return CheckUndo(out, error);
}
