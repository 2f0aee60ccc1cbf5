// A machine on which nothing changes: each change is checked as far as it can be known in advance
// and recorded over an overlay of what the plan has "made" so far, so that later steps find the
// folders, files, keys and values earlier ones would create or remove. Reads answer from the
// overlay first and from the machine itself (the platform's own reads) after.
#pragma once

#include "platform/MachineChanges.h"
#include "platform/PlannedRegistry.h"

#include <optional>
#include <string>
#include <unordered_map>

class PlannedMachine : public MachineChanges {
public:
    bool Exists(const std::string& path) override;
    PathState LookAt(const std::string& path) override;
    // Made when the folder does not exist yet and its parent does, as CreateDirectoryA would.
    BOOL CreateFolder(const std::string& path) override;
    // Taken as made: the product copies only files it has just found, into folders it has made
    // sure of, and a plan that looked at each source again would take as long as the copy.
    BOOL CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size) override;
    // These copies are refused as CopyFileA would refuse them: a source that is not a file, a
    // folder or a read-only file in the way, a missing folder. Nothing is copied, so bytes sees
    // nothing.
    BOOL CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes) override;
    BOOL KeepCopy(const std::string& from, const std::string& to) override;
    BOOL RestoreFile(const std::string& copy, const std::string& path) override;
    BOOL RemoveFile(const std::string& path) override;
    BOOL RemoveFolder(const std::string& path) override;

    // Refused as the machine would refuse opening the key for writing; a key the plan made can be
    // written.
    RegistryChange WriteString(
        HKEY root, const std::string& keyPath, const std::string& name, const std::string& data) override;
    RegistryChange CreateSubKey(
        HKEY root, const std::string& parentPath, const std::string& childName) override;
    RegistryChange DeleteValue(HKEY root, const std::string& keyPath, const std::string& name) override;
    RegistryChange DeleteKey(HKEY root, const std::string& keyPath) override;
    std::optional<std::string> StoredText(
        HKEY root, const std::string& keyPath, const std::string& name) override;
    bool ListKey(HKEY root, const std::string& keyPath, KeyNames& names) override;

    // Nothing starts: TRUE, and no exit code.
    BOOL StartCommand(const std::string& commandLine) override;
    BOOL RunCommand(const std::string& commandLine, std::optional<DWORD>& exitCode) override;
    void Pause(DWORD milliseconds) override;

private:
    BOOL PlanCopy(const std::string& from, const std::string& to, bool replace);
    // Fails with the error Win32 gives for a path that is not there.
    BOOL Missing(const std::string& path);
    bool ParentPresent(const std::string& path);
    // Whether the folder holds anything, as the plan leaves it.
    bool HoldsAnything(const std::string& folder);

    // What the plan has done to each file or folder it touched, by folded path: what it made, or
    // an entry that is not present for what it removed.
    std::unordered_map<std::string, PathState> m_entries;
    PlannedRegistry m_registry;
};
