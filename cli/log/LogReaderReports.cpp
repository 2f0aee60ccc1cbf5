// The kinds of line a run reports beyond the changes undo takes back (its start and end, messages,
// answers, options, failures and undo's own events): read back by tests and tools, not by undo,
// so the shipped program, which links by object file, leaves them out.
#include "cli/log/LogReader.h"

#include "cli/log/LogFields.h"
#include "cli/log/LogNames.h"

using namespace logname;

bool LogReader::Read(UndoStartEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, true);
    fields.Text(kVersion, event.version);
    fields.Text(kComputer, event.computer);
    fields.Text(kLog, event.log);
    fields.Text(kInstalled, event.installed);
    fields.Text(kInstalledOn, event.installedOn);
    return true;
}

bool LogReader::Read(MessageEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kText, event.text);
    fields.Boolean(kWarning, event.warning, Need::Optional);
    return End(fields.Good());
}

bool LogReader::Read(AnswerEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kQuestion, event.question);
    fields.Word(kAnswer, event.yes, kYes, kNo);
    return End(fields.Good());
}

bool LogReader::Read(OptionEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Integer(kNumber, event.number);
    fields.Text(kCaption, event.caption);
    fields.Text(kType, event.type);
    fields.Word(kResult, event.done, kDone, kFailed);
    return End(fields.Good());
}

bool LogReader::Read(CopyFailedEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kFrom, event.from);
    fields.Text(kTo, event.to);
    fields.Integer(kError, event.error);
    bool backedUp = true;
    fields.Boolean(kBackup, backedUp, Need::Optional);
    event.backupFailed = !backedUp;
    return End(fields.Good());
}

bool LogReader::Read(CommandEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kCommand, event.command);
    if (!m_object.IsNull(kExit)) {
        event.exit.emplace();
        fields.Integer(kExit, *event.exit);
    }
    fields.Integer(kError, event.error);
    return End(fields.Good());
}

bool LogReader::Read(InstallEndEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Integer(kExit, event.exit);
    JsonObject object;
    const bool nested = NestedObject(m_object, kCounts, object);
    LogFields counts(object, false);
    InstallCounts& c = event.counts;
    counts.Integer(kFolders, c.folders);
    counts.Integer(kFiles, c.files);
    counts.Integer(kBytes, c.bytes);
    counts.Integer(kKeys, c.keys);
    counts.Integer(kValues, c.values);
    counts.Integer(kFailedCopies, c.failedCopies);
    counts.Integer(kFailedWrites, c.failedWrites);
    counts.Integer(kCommands, c.commands);
    counts.Integer(kFailedCommands, c.failedCommands);
    return End(fields.Good() && nested && counts.Good());
}

bool LogReader::Read(UndoEndEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Integer(kExit, event.exit);
    JsonObject object;
    const bool nested = NestedObject(m_object, kCounts, object);
    LogFields counts(object, false);
    counts.Integer(kUndone, event.counts.undone);
    counts.Integer(kKept, event.counts.kept);
    counts.Integer(kAsBefore, event.counts.asBefore);
    return End(fields.Good() && nested && counts.Good());
}

bool LogReader::Read(KeptEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kKey, event.key, Need::Optional);
    fields.Text(kName, event.name);
    fields.Text(kPath, event.path, Need::Optional);
    fields.Text(kChange, event.change);
    fields.Text(kNew, event.newData);
    if (event.newData)
        fields.Nullable(kFound, event.found);
    fields.Integer(kSubkeys, event.subkeys);
    fields.Integer(kValues, event.values);
    fields.Integer(kBytes, event.bytes);
    fields.Text(kSha256, event.sha256);
    fields.Text(kBackup, event.backup);
    fields.Integer(kError, event.error);
    fields.Integer(kLine, event.logLine);
    fields.Text(kReason, event.reason);
    return End(fields.Good());
}

bool LogReader::Read(ValueDeletedEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kKey, event.key);
    fields.Text(kName, event.name);
    fields.Text(kOld, event.old);
    fields.Integer(kResult, event.result);
    return End(fields.Good());
}

bool LogReader::Read(KeyDeletedEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kKey, event.key);
    fields.Integer(kResult, event.result);
    return End(fields.Good());
}

bool LogReader::Read(FileDeletedEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kPath, event.path);
    fields.Integer(kBytes, event.bytes);
    fields.Text(kSha256, event.sha256);
    return End(fields.Good());
}

bool LogReader::Read(FileRestoredEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kPath, event.path);
    fields.Text(kFrom, event.from);
    return End(fields.Good());
}

bool LogReader::Read(FolderRemovedEvent& event)
{
    if (!Begin(event))
        return false;
    LogFields fields(m_object, false);
    fields.Text(kPath, event.path);
    return End(fields.Good());
}
