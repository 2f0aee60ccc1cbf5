#include "cli/CommandLine.h"

#include <set>

const char kUsage[]
    = "Usage:\n"
      "  tarnwick-cli check   [--package DIR] [--json]\n"
      "  tarnwick-cli answers [--package DIR]\n"
      "  tarnwick-cli plan    [--package DIR] [--answers FILE] [--set KEY=VALUE]... [--json]\n"
      "  tarnwick-cli install [--package DIR] [--answers FILE] [--set KEY=VALUE]... [--log FILE]\n"
      "                       [--backup DIR]\n"
      "  tarnwick-cli undo    --log FILE [--log-out FILE] [--force]\n"
      "  tarnwick-cli --help | --version\n"
      "\n"
      "check    reports what the wizard would silently do with install.conf, as FILE:LINE:COLUMN:\n"
      "answers  prints a complete answers file for the package on this machine\n"
      "plan     prints every change install would make, and changes nothing\n"
      "install  installs the package without a person: no window, no prompt\n"
      "undo     takes back what an install log records, where the machine still holds it\n"
      "\n"
      "--package defaults to the current directory. Answer keys (section [Tarnwick]):\n"
      "AcceptLicense, Jvm, Dir1, Dir2, Dir3, Options, CreateFolders, RestartServer.\n"
      "Exit codes: 0 installed, 3010 restart needed, 1602 licence not accepted,\n"
      "1603 failed, 1618 another install is running, 1619 no package, 1639 bad command line.\n"
      "undo: 0 all undone, 1603 something was kept (listed), 1639 a log it cannot use.\n";

namespace {

bool Allowed(const std::string& command, const std::string& option)
{
    if (option == "--package")
        return command != "undo";
    if (option == "--json")
        return command == "check" || command == "plan";
    if (option == "--answers" || option == "--set")
        return command == "plan" || command == "install";
    if (option == "--log")
        return command == "install" || command == "undo";
    if (option == "--backup")
        return command == "install";
    if (option == "--log-out" || option == "--force")
        return command == "undo";
    return false;
}

} // namespace

bool CommandLine::Parse(const std::vector<std::string>& arguments, CommandLine& out, std::string& error)
{
    out = CommandLine {};
    if (arguments.empty()) {
        error = "no command given";
        return false;
    }
    const std::string& first = arguments[0];
    if (first == "--help" || first == "-h" || first == "/?" || first == "help") {
        out.command = "help";
        return arguments.size() == 1 || (error = "--help takes nothing more", false);
    }
    if (first == "--version") {
        out.command = "version";
        return arguments.size() == 1 || (error = "--version takes nothing more", false);
    }
    if (first != "check" && first != "answers" && first != "plan" && first != "install" && first != "undo") {
        error = "unknown command " + first;
        return false;
    }
    out.command = first;
    std::set<std::string> seen;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
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
        if (option == "--json" || option == "--force") {
            if (value) {
                error = option + " takes no value";
                return false;
            }
            if (!seen.insert(option).second) {
                error = option + " given twice";
                return false;
            }
            (option == "--json" ? out.json : out.force) = true;
            continue;
        }
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
        if (option == "--package")
            out.package = *value;
        else if (option == "--answers")
            out.answersFile = *value;
        else if (option == "--set")
            out.sets.push_back(*value);
        else if (option == "--log")
            out.log = *value;
        else if (option == "--backup")
            out.backup = *value;
        else if (option == "--log-out")
            out.logOut = *value;
    }
    if (out.command == "undo" && !out.log) {
        error = "undo needs --log FILE, the log of the install to take back";
        return false;
    }
    return true;
}
