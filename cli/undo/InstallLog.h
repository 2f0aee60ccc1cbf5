// An install's log as undo reads it: the changes it records, in order, with what undo needs to
// take each one back.
#pragma once

#include "cli/log/LogEvents.h"
#include "platform/win32.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One change the install log records, its texts in the system code page.
struct Change {
    LogKind kind = LogKind::FolderCreated; // FolderCreated, FileCopied, ValueWritten or KeyCreated
    std::size_t line = 0;
    std::string path {}; // folders and files
    std::string key {}; // keys and values: with the root's name
    std::string name {};
    std::optional<std::string> oldData {}; // empty: the value was absent
    std::string newData {};
    std::uint64_t bytes = 0;
    bool replaced = false;
    std::string sha256 {};
    std::string backup {};
    std::string backupSha256 {}; // the backup's digest when it was made
    // The log names the change only by its intent: the install stopped during it, or the copy
    // failed after it began. Whatever of it is there is taken back.
    bool inFlight = false;

    // Undo's "kept" event about this change: its key, its value's name, its path and its line.
    [[nodiscard]] KeptEvent Kept() const;
};

struct InstallLog {
    std::string computer;
    std::string started;
    std::string backupFolder; // the install's --backup; empty: none
    std::vector<Change> changes;
};

// Reads the log at path once every whole line's code verifies under key (the machine's); false
// with a message in FILE:LINE: form, at the first line that does not verify or cannot be read. A
// line without its line end is the change that was in flight when the install was killed: it is
// left out, as the log says; a change whose intent has no line of its own after it is read as
// in flight.
bool ReadInstallLog(const std::string& path, std::string_view key, InstallLog& out, std::string& error);

// "HKEY_LOCAL_MACHINE\path" into its root and path; false for any other root.
bool SplitKey(const std::string& key, HKEY& root, std::string& path);
