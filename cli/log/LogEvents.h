// Every kind of line tarnwick-cli's logs hold, each a type with its fields, and the one function
// that makes its line: install's and plan's lines (a plan's are the install's, as it would write
// them) and undo's. Texts are in the system code page, as the product keeps them; the line holds
// them as UTF-8. Each line starts with "event" and "time", then the fields in the order below.
#pragma once

#include "cli/log/JsonLine.h"
#include "platform/win32.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class LogKind : unsigned char {
    Start,
    Message,
    Answer,
    Option,
    FolderCreated,
    FileCopied,
    CopyFailed,
    ValueWritten,
    KeyCreated,
    Command,
    End,
    Kept,
    ValueDeleted,
    KeyDeleted,
    FileDeleted,
    FileRestored,
    FolderRemoved,
    Intent,
    Rollback,
};

// The "event" of a kind's lines ("file-copied"), and the way back; empty for a name no line has.
[[nodiscard]] std::string_view KindName(LogKind kind);
[[nodiscard]] std::optional<LogKind> KindNamed(std::string_view name);

using LogTime = std::chrono::system_clock::time_point;

// One answer of the answers file as the run used it: its key, its value, where it came from.
struct UsedAnswer {
    std::string key {};
    std::string value {};
    std::string source {};
    bool operator==(const UsedAnswer&) const = default;
};

// The first line of an install's or a plan's log.
struct InstallStartEvent {
    static constexpr LogKind kind = LogKind::Start;
    LogTime time = std::chrono::system_clock::now();
    std::string version {};
    std::string command {}; // "install" or "plan"
    std::string computer {};
    std::string package {};
    std::string title {};
    std::vector<UsedAnswer> answers {}; // every key, in the answers file's order
    std::string backup {}; // the --backup folder; empty: none, and not written
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const InstallStartEvent&) const = default;
};

// The first line of an undo's log: which install it takes back.
struct UndoStartEvent {
    static constexpr LogKind kind = LogKind::Start;
    LogTime time = std::chrono::system_clock::now();
    std::string version {};
    std::string computer {};
    std::string log {}; // the install's log
    std::string installed {}; // its start's time, as that line gives it
    std::string installedOn {}; // its computer
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const UndoStartEvent&) const = default;
};

// What the wizard would have shown in a box, or a warning of the command line's own.
struct MessageEvent {
    static constexpr LogKind kind = LogKind::Message;
    LogTime time = std::chrono::system_clock::now();
    std::string text {};
    bool warning = false; // written only when true
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const MessageEvent&) const = default;
};

// A question the wizard would have asked, and the answer given for the person.
struct AnswerEvent {
    static constexpr LogKind kind = LogKind::Answer;
    LogTime time = std::chrono::system_clock::now();
    std::string question {};
    bool yes = false;
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const AnswerEvent&) const = default;
};

// An option carried out: "done", or "failed".
struct OptionEvent {
    static constexpr LogKind kind = LogKind::Option;
    LogTime time = std::chrono::system_clock::now();
    int number = 0; // from 1, as the main page's boxes count
    std::string caption {};
    std::string type {};
    bool done = false;
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const OptionEvent&) const = default;
};

struct FolderCreatedEvent {
    static constexpr LogKind kind = LogKind::FolderCreated;
    LogTime time = std::chrono::system_clock::now();
    std::string path {};
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const FolderCreatedEvent&) const = default;
};

// What a copy's line says of its digest: nothing (a plan, or an install without a log), null (the
// copy was made but its bytes were lost on the way), or the digest.
enum class Digest : unsigned char { NotTaken, Lost, Taken };

struct FileCopiedEvent {
    static constexpr LogKind kind = LogKind::FileCopied;
    LogTime time = std::chrono::system_clock::now();
    std::string from {};
    std::string to {};
    std::uint64_t bytes = 0;
    bool replaced = false;
    Digest digest = Digest::NotTaken;
    std::string sha256 {}; // Taken: 64 lowercase hex digits
    std::string backup {}; // where the replaced file was kept; empty: nowhere, and not written
    std::string backupSha256 {}; // the kept copy's digest, with backup
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const FileCopiedEvent&) const = default;
};

struct CopyFailedEvent {
    static constexpr LogKind kind = LogKind::CopyFailed;
    LogTime time = std::chrono::system_clock::now();
    std::string from {};
    std::string to {};
    DWORD error = 0;
    bool backupFailed = false; // the file it would replace could not be kept: "backup":false
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const CopyFailedEvent&) const = default;
};

// A value set, by an install or by the undo that restores it.
struct ValueWrittenEvent {
    static constexpr LogKind kind = LogKind::ValueWritten;
    LogTime time = std::chrono::system_clock::now();
    std::string key {}; // with the root's name
    std::string name {};
    std::optional<std::string> old {}; // empty: the value was absent (null)
    std::string newData {};
    std::string entryRemoved {}; // undo took just this class path entry out; empty: not written
    std::int64_t result = 0; // the registry's status: 0, or why it refused
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const ValueWrittenEvent&) const = default;
};

struct KeyCreatedEvent {
    static constexpr LogKind kind = LogKind::KeyCreated;
    LogTime time = std::chrono::system_clock::now();
    std::string key {};
    std::int64_t result = 0;
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const KeyCreatedEvent&) const = default;
};

// A command the install ran (or, in a plan, would run).
struct CommandEvent {
    static constexpr LogKind kind = LogKind::Command;
    LogTime time = std::chrono::system_clock::now();
    std::string command {};
    std::optional<DWORD> exit {}; // empty: not run, or not started (null)
    std::optional<DWORD> error {}; // why it could not be started; empty: not written
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const CommandEvent&) const = default;
};

struct InstallCounts {
    unsigned folders = 0;
    unsigned files = 0;
    std::uint64_t bytes = 0;
    unsigned keys = 0;
    unsigned values = 0;
    unsigned failedCopies = 0;
    unsigned failedWrites = 0; // registry keys and values that could not be written
    unsigned commands = 0;
    unsigned failedCommands = 0; // not started, or ended with an exit code other than 0
    bool operator==(const InstallCounts&) const = default;
};

// A failed install begins to take back what it changed: the lines after it are the rollback's,
// which undo of the install's log does not read as changes of the install.
struct RollbackEvent {
    static constexpr LogKind kind = LogKind::Rollback;
    LogTime time = std::chrono::system_clock::now();
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const RollbackEvent&) const = default;
};

// The last line of an install's or a plan's log.
struct InstallEndEvent {
    static constexpr LogKind kind = LogKind::End;
    LogTime time = std::chrono::system_clock::now();
    int exit = 0;
    InstallCounts counts {};
    // The run rolled back its changes: "rolledBack", and what it could not take back (paths, keys,
    // values), empty when it took back everything.
    bool rolledBack = false;
    std::vector<std::string> notRolledBack {};
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const InstallEndEvent&) const = default;
};

struct UndoCounts {
    unsigned undone = 0;
    unsigned kept = 0;
    unsigned asBefore = 0;
    bool operator==(const UndoCounts&) const = default;
};

struct UndoEndEvent {
    static constexpr LogKind kind = LogKind::End;
    LogTime time = std::chrono::system_clock::now();
    int exit = 0;
    UndoCounts counts {};
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const UndoEndEvent&) const = default;
};

// A change of the install that undo left as it is, and why. It names the change as the install's
// line did (key and name, or path); the fields between that and the log's line say what undo found, and
// are written only when set.
struct KeptEvent {
    static constexpr LogKind kind = LogKind::Kept;
    LogTime time = std::chrono::system_clock::now();
    std::string key {}; // empty: not written
    std::optional<std::string> name {}; // a value's changes only
    std::string path {}; // empty: not written
    std::optional<std::string> change {}; // the install's event
    std::optional<std::string> newData {}; // what the install wrote ...
    std::optional<std::string> found {}; // ... and, with it, what the value is now (empty: absent)
    std::optional<std::uint64_t> subkeys {};
    std::optional<std::uint64_t> values {};
    std::optional<std::uint64_t> bytes {}; // a file as it is now
    std::optional<std::string> sha256 {};
    std::optional<std::string> backup {};
    std::optional<std::int64_t> error {};
    std::uint64_t logLine = 0; // the install log's line of the change: "line"
    std::string reason {};
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const KeptEvent&) const = default;
};

struct ValueDeletedEvent {
    static constexpr LogKind kind = LogKind::ValueDeleted;
    LogTime time = std::chrono::system_clock::now();
    std::string key {};
    std::string name {};
    std::string old {};
    std::int64_t result = 0;
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const ValueDeletedEvent&) const = default;
};

struct KeyDeletedEvent {
    static constexpr LogKind kind = LogKind::KeyDeleted;
    LogTime time = std::chrono::system_clock::now();
    std::string key {};
    std::int64_t result = 0;
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const KeyDeletedEvent&) const = default;
};

struct FileDeletedEvent {
    static constexpr LogKind kind = LogKind::FileDeleted;
    LogTime time = std::chrono::system_clock::now();
    std::string path {};
    std::uint64_t bytes = 0;
    std::string sha256 {};
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const FileDeletedEvent&) const = default;
};

struct FileRestoredEvent {
    static constexpr LogKind kind = LogKind::FileRestored;
    LogTime time = std::chrono::system_clock::now();
    std::string path {};
    std::string from {}; // the backup it came back from
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const FileRestoredEvent&) const = default;
};

// Written, and handed to the system, before a change is made: what it is about to change, and how
// that was. A run killed during the change leaves this line without the change's own, and undo
// still knows what to take back. It names the change's target with the fields its own line will
// have: a folder's "path"; a copy's "to", whether it replaces a file and where that was kept; a
// value's "key", "name", "old" and "new"; a key's "key".
struct IntentEvent {
    static constexpr LogKind kind = LogKind::Intent;
    LogTime time = std::chrono::system_clock::now();
    LogKind change = LogKind::FileCopied; // FolderCreated, FileCopied, ValueWritten or KeyCreated
    std::string path {}; // a folder, or the file a copy makes
    std::string key {};
    std::string name {};
    std::optional<std::string> old {};
    std::string newData {};
    bool replaced = false;
    std::string backup {};
    std::string backupSha256 {};
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const IntentEvent&) const = default;
};

struct FolderRemovedEvent {
    static constexpr LogKind kind = LogKind::FolderRemoved;
    LogTime time = std::chrono::system_clock::now();
    std::string path {};
    [[nodiscard]] JsonLine Line() const;
    bool operator==(const FolderRemovedEvent&) const = default;
};
