#include "cli/log/LogEvents.h"

#include "cli/log/LogNames.h"

#include <array>
#include <utility>

using namespace logname;

namespace {

constexpr std::array<std::pair<LogKind, std::string_view>, 19> kKindNames { {
    { LogKind::Start, "start" },
    { LogKind::Message, "message" },
    { LogKind::Answer, "answer" },
    { LogKind::Option, "option" },
    { LogKind::FolderCreated, "folder-created" },
    { LogKind::FileCopied, "file-copied" },
    { LogKind::CopyFailed, "copy-failed" },
    { LogKind::ValueWritten, "value-written" },
    { LogKind::KeyCreated, "key-created" },
    { LogKind::Command, "command" },
    { LogKind::End, "end" },
    { LogKind::Kept, "kept" },
    { LogKind::ValueDeleted, "value-deleted" },
    { LogKind::KeyDeleted, "key-deleted" },
    { LogKind::FileDeleted, "file-deleted" },
    { LogKind::FileRestored, "file-restored" },
    { LogKind::FolderRemoved, "folder-removed" },
    { LogKind::Intent, "intent" },
    { LogKind::Rollback, "rollback" },
} };

template<class Event> JsonLine Begin(const Event& event)
{
    return JsonLine::Event(KindName(Event::kind), event.time);
}

void AddNullable(JsonLine& line, std::string_view key, const std::optional<std::string>& text)
{
    if (text)
        line.Add(key, *text);
    else
        line.AddNull(key);
}

template<class Value> void AddIfSet(JsonLine& line, std::string_view key, const std::optional<Value>& value)
{
    if (value)
        line.Add(key, *value);
}

} // namespace

std::string_view KindName(LogKind kind)
{
    for (const auto& [each, name] : kKindNames)
        if (each == kind)
            return name;
    return {};
}

std::optional<LogKind> KindNamed(std::string_view name)
{
    for (const auto& [kind, each] : kKindNames)
        if (each == name)
            return kind;
    return std::nullopt;
}

JsonLine InstallStartEvent::Line() const
{
    JsonLine used;
    for (const UsedAnswer& answer : answers) {
        JsonLine entry;
        entry.Add(kValue, answer.value).Add(kSource, answer.source);
        used.AddObject(answer.key, entry);
    }
    JsonLine line = Begin(*this);
    line.Add(kProgram, kProgramName)
        .Add(kVersion, version)
        .Add(kCommand, command)
        .Add(kComputer, computer)
        .Add(kPackage, package)
        .Add(kTitle, title)
        .AddObject(kAnswers, used);
    if (!backup.empty())
        line.Add(kBackup, backup);
    return line;
}

JsonLine UndoStartEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kProgram, kProgramName)
        .Add(kVersion, version)
        .Add(kCommand, kUndoCommand)
        .Add(kComputer, computer)
        .Add(kLog, log)
        .Add(kInstalled, installed)
        .Add(kInstalledOn, installedOn);
    return line;
}

JsonLine MessageEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kText, text);
    if (warning)
        line.Add(kWarning, true);
    return line;
}

JsonLine AnswerEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kQuestion, question).Add(kAnswer, yes ? kYes : kNo);
    return line;
}

JsonLine OptionEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kNumber, number).Add(kCaption, caption).Add(kType, type).Add(kResult, done ? kDone : kFailed);
    return line;
}

JsonLine FolderCreatedEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kPath, path);
    return line;
}

// Made for every file of an install, on the thread that takes the digests: nothing here but the
// line's own text.
JsonLine FileCopiedEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kFrom, from).Add(kTo, to).Add(kBytes, bytes).Add(kReplaced, replaced);
    if (digest == Digest::Lost)
        line.AddNull(kSha256);
    else if (digest == Digest::Taken)
        line.Add(kSha256, sha256);
    if (!backup.empty())
        line.Add(kBackup, backup);
    if (!backupSha256.empty())
        line.Add(kBackupSha256, backupSha256);
    return line;
}

JsonLine CopyFailedEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kFrom, from).Add(kTo, to).Add(kError, error);
    if (backupFailed)
        line.Add(kBackup, false);
    return line;
}

JsonLine ValueWrittenEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kKey, key).Add(kName, name);
    AddNullable(line, kOld, old);
    line.Add(kNew, newData);
    if (!entryRemoved.empty())
        line.Add(kEntryRemoved, entryRemoved);
    line.Add(kResult, result);
    return line;
}

JsonLine KeyCreatedEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kKey, key).Add(kResult, result);
    return line;
}

JsonLine CommandEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kCommand, command);
    if (exit)
        line.Add(kExit, *exit);
    else
        line.AddNull(kExit);
    AddIfSet(line, kError, error);
    return line;
}

JsonLine InstallEndEvent::Line() const
{
    JsonLine numbers;
    numbers.Add(kFolders, counts.folders)
        .Add(kFiles, counts.files)
        .Add(kBytes, counts.bytes)
        .Add(kKeys, counts.keys)
        .Add(kValues, counts.values)
        .Add(kFailedCopies, counts.failedCopies)
        .Add(kFailedWrites, counts.failedWrites)
        .Add(kCommands, counts.commands)
        .Add(kFailedCommands, counts.failedCommands);
    JsonLine line = Begin(*this);
    line.Add(kExit, exit).AddObject(kCounts, numbers);
    if (rolledBack) {
        line.Add(kRolledBack, notRolledBack.empty());
        if (!notRolledBack.empty()) {
            std::string list = "[";
            for (const std::string& each : notRolledBack)
                list += (list.size() > 1 ? "," : "") + JsonString(each);
            line.AddRaw(kNotRolledBack, list + "]");
        }
    }
    return line;
}

JsonLine RollbackEvent::Line() const
{
    return Begin(*this);
}

JsonLine UndoEndEvent::Line() const
{
    JsonLine numbers;
    numbers.Add(kUndone, counts.undone).Add(kKept, counts.kept).Add(kAsBefore, counts.asBefore);
    JsonLine line = Begin(*this);
    line.Add(kExit, exit).AddObject(kCounts, numbers);
    return line;
}

JsonLine KeptEvent::Line() const
{
    JsonLine line = Begin(*this);
    if (!key.empty())
        line.Add(kKey, key);
    AddIfSet(line, kName, name);
    if (!path.empty())
        line.Add(kPath, path);
    AddIfSet(line, kChange, change);
    if (newData) {
        line.Add(kNew, *newData);
        AddNullable(line, kFound, found);
    }
    AddIfSet(line, kSubkeys, subkeys);
    AddIfSet(line, kValues, values);
    AddIfSet(line, kBytes, bytes);
    AddIfSet(line, kSha256, sha256);
    AddIfSet(line, kBackup, backup);
    AddIfSet(line, kError, error);
    line.Add(kLine, logLine).Add(kReason, reason);
    return line;
}

JsonLine ValueDeletedEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kKey, key).Add(kName, name).Add(kOld, old).Add(kResult, result);
    return line;
}

JsonLine KeyDeletedEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kKey, key).Add(kResult, result);
    return line;
}

JsonLine FileDeletedEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kPath, path).Add(kBytes, bytes).Add(kSha256, sha256);
    return line;
}

JsonLine FileRestoredEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kPath, path).Add(kFrom, from);
    return line;
}

JsonLine FolderRemovedEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kPath, path);
    return line;
}

JsonLine IntentEvent::Line() const
{
    JsonLine line = Begin(*this);
    line.Add(kChange, KindName(change));
    switch (change) {
    case LogKind::FolderCreated:
        line.Add(kPath, path);
        break;
    case LogKind::FileCopied:
        line.Add(kTo, path).Add(kReplaced, replaced);
        if (!backup.empty())
            line.Add(kBackup, backup);
        if (!backupSha256.empty())
            line.Add(kBackupSha256, backupSha256);
        break;
    case LogKind::ValueWritten:
        line.Add(kKey, key).Add(kName, name);
        AddNullable(line, kOld, old);
        line.Add(kNew, newData);
        break;
    default:
        line.Add(kKey, key);
        break;
    }
    return line;
}
