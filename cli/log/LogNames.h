// The names a log's lines are written with and read back by: the builders of LogEvents.cpp (and
// JsonLine, for the first two fields of every line) and the reader of LogReader.cpp, and nothing
// else, include this. A name changed here changes both.
#pragma once

#include <string_view>

namespace logname {

// Every line's first two fields.
inline constexpr std::string_view kEvent = "event";
inline constexpr std::string_view kTime = "time";

inline constexpr std::string_view kAnswer = "answer";
inline constexpr std::string_view kAnswers = "answers";
inline constexpr std::string_view kAsBefore = "asBefore";
inline constexpr std::string_view kBackup = "backup";
inline constexpr std::string_view kBackupSha256 = "backupSha256";
inline constexpr std::string_view kBytes = "bytes";
inline constexpr std::string_view kCaption = "caption";
inline constexpr std::string_view kChange = "change";
inline constexpr std::string_view kCommand = "command";
inline constexpr std::string_view kCommands = "commands";
inline constexpr std::string_view kComputer = "computer";
inline constexpr std::string_view kCounts = "counts";
inline constexpr std::string_view kEntryRemoved = "entryRemoved";
inline constexpr std::string_view kError = "error";
inline constexpr std::string_view kExit = "exit";
inline constexpr std::string_view kFailedCommands = "failedCommands";
inline constexpr std::string_view kFailedCopies = "failedCopies";
inline constexpr std::string_view kFailedWrites = "failedWrites";
inline constexpr std::string_view kFiles = "files";
inline constexpr std::string_view kFolders = "folders";
inline constexpr std::string_view kFound = "found";
inline constexpr std::string_view kFrom = "from";
inline constexpr std::string_view kInstalled = "installed";
inline constexpr std::string_view kInstalledOn = "installedOn";
inline constexpr std::string_view kKept = "kept";
inline constexpr std::string_view kKey = "key";
inline constexpr std::string_view kKeys = "keys";
inline constexpr std::string_view kLine = "line";
inline constexpr std::string_view kLog = "log";
inline constexpr std::string_view kName = "name";
inline constexpr std::string_view kNotRolledBack = "notRolledBack";
inline constexpr std::string_view kNew = "new";
inline constexpr std::string_view kNumber = "number";
inline constexpr std::string_view kOld = "old";
inline constexpr std::string_view kPackage = "package";
inline constexpr std::string_view kPath = "path";
inline constexpr std::string_view kProgram = "program";
inline constexpr std::string_view kQuestion = "question";
inline constexpr std::string_view kReason = "reason";
inline constexpr std::string_view kReplaced = "replaced";
inline constexpr std::string_view kResult = "result";
inline constexpr std::string_view kRolledBack = "rolledBack";
inline constexpr std::string_view kSha256 = "sha256";
inline constexpr std::string_view kSource = "source";
inline constexpr std::string_view kSubkeys = "subkeys";
inline constexpr std::string_view kText = "text";
inline constexpr std::string_view kTitle = "title";
inline constexpr std::string_view kTo = "to";
inline constexpr std::string_view kType = "type";
inline constexpr std::string_view kUndone = "undone";
inline constexpr std::string_view kValue = "value";
inline constexpr std::string_view kValues = "values";
inline constexpr std::string_view kVersion = "version";
inline constexpr std::string_view kWarning = "warning";

// Fixed values of some fields.
inline constexpr std::string_view kProgramName = "tarnwick-cli";
inline constexpr std::string_view kUndoCommand = "undo";
inline constexpr std::string_view kYes = "yes";
inline constexpr std::string_view kNo = "no";
inline constexpr std::string_view kDone = "done";
inline constexpr std::string_view kFailed = "failed";

} // namespace logname
