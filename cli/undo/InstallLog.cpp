#include "cli/undo/InstallLog.h"

#include "cli/install/ObservedChanges.h"
#include "cli/log/LogReader.h"
#include "cli/log/LogSeal.h"
#include "cli/TextCase.h"
#include "cli/WholeFile.h"

namespace {

// The log of some 800,000 copied files: undo holds all of it and its changes in memory, in a 32-bit
// process.
constexpr std::size_t kMostLogBytes = std::size_t { 256 } << 20;

// A zero byte would cut a name short in every call that takes it.
bool HasZero(const std::string& text)
{
    return text.find('\0') != std::string::npos;
}

// An intent's change, as undo takes it back when the change's own line is missing.
bool ReadIntent(LogReader& reader, Change& change)
{
    IntentEvent event;
    if (!reader.Read(event) || HasZero(event.path) || HasZero(event.key) || HasZero(event.name)
        || HasZero(event.newData) || HasZero(event.backup) || (event.old && HasZero(*event.old)))
        return false;
    change.kind = event.change;
    change.line = reader.Line();
    change.path = std::move(event.path);
    change.key = std::move(event.key);
    change.name = std::move(event.name);
    change.oldData = std::move(event.old);
    change.newData = std::move(event.newData);
    change.replaced = event.replaced;
    change.backup = std::move(event.backup);
    change.backupSha256 = std::move(event.backupSha256);
    change.inFlight = true;
    return true;
}

// Whether the line the reader is at is the outcome of the intent's change: the change's own line,
// or a failed copy of the same file.
bool Concludes(LogReader& reader, const Change& intent)
{
    const LogKind kind = reader.Kind();
    return kind == intent.kind || (kind == LogKind::CopyFailed && intent.kind == LogKind::FileCopied);
}

// The change of the line the reader is at, when it is one undo takes back; false when the line
// cannot be read (the reader says why).
bool ReadChange(LogReader& reader, std::vector<Change>& changes)
{
    Change change;
    change.kind = reader.Kind();
    change.line = reader.Line();
    bool good = false;
    switch (change.kind) {
    case LogKind::FolderCreated: {
        FolderCreatedEvent event;
        good = reader.Read(event) && !HasZero(event.path);
        change.path = std::move(event.path);
        break;
    }
    case LogKind::FileCopied: {
        FileCopiedEvent event;
        good = reader.Read(event) && !HasZero(event.to) && !HasZero(event.backup);
        change.path = std::move(event.to);
        change.bytes = event.bytes;
        change.replaced = event.replaced;
        if (event.digest == Digest::Taken)
            change.sha256 = std::move(event.sha256);
        change.backup = std::move(event.backup);
        change.backupSha256 = std::move(event.backupSha256);
        break;
    }
    case LogKind::ValueWritten: {
        ValueWrittenEvent event;
        good = reader.Read(event);
        if (good && event.result != 0)
            return true; // the registry refused it: nothing changed
        good = good && !HasZero(event.key) && !HasZero(event.name) && !HasZero(event.newData)
            && !(event.old && HasZero(*event.old));
        change.key = std::move(event.key);
        change.name = std::move(event.name);
        change.oldData = std::move(event.old);
        change.newData = std::move(event.newData);
        break;
    }
    case LogKind::KeyCreated: {
        KeyCreatedEvent event;
        good = reader.Read(event);
        if (good && event.result != 0)
            return true;
        good = good && !HasZero(event.key);
        change.key = std::move(event.key);
        break;
    }
    default:
        return true; // not a change undo takes back
    }
    if (good)
        changes.push_back(std::move(change));
    return good;
}

// After the install rolled back its changes: only those the rollback kept (its "kept" lines) are
// still the install's to take back. false when a line cannot be read (the reader says why).
bool KeepWhatWasNotRolledBack(LogReader& reader, std::vector<Change>& changes)
{
    std::vector<KeptEvent> kept;
    while (reader.Next()) {
        if (reader.Kind() != LogKind::Kept)
            continue;
        if (!reader.Read(kept.emplace_back()))
            return false;
    }
    std::erase_if(changes, [&](const Change& change) {
        const KeptEvent mine = change.Kept();
        for (const KeptEvent& each : kept)
            if (each.key == mine.key && each.name == mine.name && each.path == mine.path)
                return false;
        return true;
    });
    return reader.Error().empty();
}

} // namespace

KeptEvent Change::Kept() const
{
    KeptEvent kept { .key = key, .path = path, .logLine = line };
    if (kind == LogKind::ValueWritten)
        kept.name = name;
    return kept;
}

bool ReadInstallLog(const std::string& path, std::string_view key, InstallLog& out, std::string& error)
{
    std::string text;
    if (!ReadWholeFile(path, kMostLogBytes, text)) {
        error = "cannot read the log " + path;
        return false;
    }
    // Nothing of a line is believed before the whole log is known to be this machine's own record:
    // a line edited, forged, spliced in or taken away is refused before any of it is read.
    const SealCheck seals = CheckSeals(text, key);
    if (!seals.intact) {
        error = path + ":" + std::to_string(seals.badLine) + ": " + seals.reason;
        return false;
    }
    LogReader reader(text, path, "install");
    bool sawStart = false;
    // The last intent, until its change's own line, or a failed copy, follows it. A copy that
    // failed after it began may have left part of itself, or lost the file it replaced: it stays
    // in flight.
    Change intent;
    bool pending = false;
    while (reader.Next()) {
        if (!sawStart) {
            InstallStartEvent start;
            if (!reader.Read(start))
                break;
            out.computer = std::move(start.computer);
            out.started = reader.TimeText();
            out.backupFolder = std::move(start.backup);
            sawStart = true;
            continue;
        }
        if (pending && (!Concludes(reader, intent) || reader.Kind() == LogKind::CopyFailed))
            out.changes.push_back(std::move(intent));
        // What follows is the run taking its own changes back, not changes of the install.
        if (reader.Kind() == LogKind::Rollback) {
            pending = false;
            (void)KeepWhatWasNotRolledBack(reader, out.changes);
            break;
        }
        pending = reader.Kind() == LogKind::Intent;
        if (pending ? !ReadIntent(reader, intent = Change {}) : !ReadChange(reader, out.changes))
            break;
    }
    if (pending && reader.Error().empty())
        out.changes.push_back(std::move(intent));
    error = reader.Error();
    return error.empty();
}

bool SplitKey(const std::string& key, HKEY& root, std::string& path)
{
    for (const HKEY candidate : { HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER }) {
        const std::string name = RootName(candidate);
        if (key.size() > name.size() && EqualsNoCase(key.substr(0, name.size()), name)
            && key[name.size()] == '\\') {
            root = candidate;
            path = key.substr(name.size() + 1);
            return true;
        }
    }
    return false;
}
