#include "cli/CallerPaths.h"

#include "platform/CallerFiles.h"
#include "platform/CurrentDirectory.h"

namespace {

// A file as the C library opens it.
bool MakeFull(std::optional<std::string>& name, const char* option, std::string& error)
{
    if (!name || *name == "-")
        return true;
    const std::string full = FullFileName(*name);
    if (full.empty()) {
        error = std::string("cannot make a path of ") + option + " " + name->c_str();
        return false;
    }
    name = full;
    return true;
}

bool CheckAnswersFile(const std::string& name, std::string& error)
{
    switch (KindOfFile(name)) {
    case FileKind::Missing:
        error = "there is no answers file " + name;
        return false;
    case FileKind::Folder:
        error = "the answers file " + name + " is a folder";
        return false;
    case FileKind::Other:
        error = "the answers file " + name + " is not a regular file (a device or a pipe)";
        return false;
    default:
        return true; // what cannot be told here, the read tells
    }
}

bool CheckLogFile(const std::optional<std::string>& name, const char* option, std::string& error)
{
    std::string why;
    if (!name || *name == "-" || MayWriteLogFile(*name, why))
        return true;
    error = std::string("cannot write the log (") + option + ") " + name->c_str() + ": it " + why;
    return false;
}

// A log is never written over what the run reads: the answers, the package's own files, the
// install log an undo takes back. Each would be lost, and with the install log what undo kept.
bool CheckNotAnInput(const CommandLine& line, std::string& error)
{
    const auto same = [&](const std::optional<std::string>& log, const std::optional<std::string>& input,
                          const char* what) {
        if (!log || *log == "-" || !input || !SameFile(*log, *input))
            return false;
        error = "cannot write the log " + std::string(log->c_str()) + ": it is " + what;
        return true;
    };
    if (line.command == "undo")
        return !same(line.logOut, line.installLog, "the install log undo reads");
    if (line.command != "install")
        return true;
    for (const char* file : { "install.conf", "license.txt" })
        if (same(line.log, FullFileName(line.package + "/" + file), "a file of the package"))
            return false;
    return !same(line.log, line.answersFile, "the answers file");
}

} // namespace

bool SettleCallerPaths(CommandLine& line, std::string& error)
{
    // Undo reads its --log; install writes it.
    const bool writesLog = line.command == "install";
    if (!MakeFull(line.answersFile, "--answers", error) || !MakeFull(line.log, "--log", error)
        || !MakeFull(line.installLog, "--log", error) || !MakeFull(line.logOut, "--log-out", error))
        return false;
    // The backup folder is used through the system's file functions, in their own spelling.
    if (line.backup) {
        const std::string full = GetFullPathText(*line.backup);
        if (full.empty()) {
            error = "cannot make a path of --backup " + std::string(line.backup->c_str());
            return false;
        }
        line.backup = full;
    }
    if (line.answersFile && !CheckAnswersFile(*line.answersFile, error))
        return false;
    return (!writesLog || CheckLogFile(line.log, "--log", error))
        && CheckLogFile(line.logOut, "--log-out", error) && CheckNotAnInput(line, error);
}
