// A machine on which nothing changes: each change is checked as far as it can be known in advance
// and recorded over an overlay of what the plan has "made" so far, so that later steps find the
// folders, files, keys and values earlier ones would create. Reads answer from the overlay first
// and from the machine itself (the platform's own reads) after.
#pragma once

#include "platform/MachineChanges.h"

#include <map>
#include <optional>
#include <string>

class PlannedMachine : public MachineChanges {
public:
    bool Exists(const std::string& path) override;
    // Made when the folder does not exist yet and its parent does, as CreateDirectoryA would.
    BOOL CreateFolder(const std::string& path) override;
    // Taken as made: the product copies only files it has just found, into folders it has made
    // sure of, and a plan that looked at each source again would take as long as the copy.
    BOOL CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size) override;
    // The same; nothing is copied, so bytes sees nothing.
    BOOL CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes) override;
    BOOL KeepCopy(const std::string& from, const std::string& to) override;
    // Refused as the machine would refuse opening the key for writing; a key the plan made can be
    // written.
    RegistryChange WriteString(
        HKEY root, const std::string& keyPath, const std::string& name, const std::string& data) override;
    RegistryChange CreateSubKey(
        HKEY root, const std::string& parentPath, const std::string& childName) override;
    // Nothing starts: TRUE, and no exit code.
    BOOL StartCommand(const std::string& commandLine) override;
    BOOL RunCommand(const std::string& commandLine, std::optional<DWORD>& exitCode) override;
    void Pause(DWORD milliseconds) override;

    std::optional<std::string> StoredText(
        HKEY root, const std::string& keyPath, const std::string& name) override;

private:
    // What the plan has done to one file or folder.
    struct Entry {
        bool present = false;
        bool folder = false;
    };
    // A key the plan made; the machine's answers for it no longer count.
    struct Key {
        bool present = false;
    };

    void RecordFile(const std::string& to);
    bool KeyExists(HKEY root, const std::string& keyPath);
    // What opening the key for writing would answer.
    LONG CanWriteKey(HKEY root, const std::string& keyPath);
    const Key* FindKey(HKEY root, const std::string& keyPath) const;

    std::map<std::string, Entry> m_entries; // by folded path
    std::map<std::string, Key> m_keys; // by KeyId
    std::map<std::string, std::optional<std::string>> m_values; // by KeyId + '\n' + folded name
};
