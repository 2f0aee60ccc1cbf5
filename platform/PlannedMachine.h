// A machine on which nothing changes: each change is checked as far as it can be known in advance
// and recorded over an overlay of what the plan has "made" so far, so that later steps find the
// folders, files, keys and values earlier ones would create or remove. Reads answer from the
// overlay first and from the machine itself (the platform's own reads) after.
#pragma once

#include "platform/MachineChanges.h"
#include "platform/PlannedOverlay.h"
#include "platform/PlannedRegistry.h"

#include <optional>
#include <string>

class PlannedMachine : public MachineChanges {
public:
    // What the plan made is known without a look at the machine, and so is what is not in a folder
    // the plan made.
    bool RecordsWhatItMade() const override { return true; }
    bool Exists(const std::string& path) override;
    PathState LookAt(const std::string& path) override;
    // Made when the folder does not exist yet and its parent does and may be added to, as
    // CreateDirectoryA would.
    BOOL CreateFolder(const std::string& path) override;
    // Refused where CopyFileA would refuse it at the target: a folder or a read-only file in the
    // way, no folder to hold it, or one this user may not add to. The source is taken as it is:
    // the product copies only files it has just found, and a plan that looked at each source
    // again would take as long as the copy.
    BOOL CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size) override;
    // These copies are refused as CopyFileA would refuse them: a source that is not a file, a
    // folder or a read-only file in the way, a missing folder. Nothing is copied, so bytes sees
    // nothing.
    BOOL CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes) override;
    BOOL KeepCopy(const std::string& from, const std::string& to) override;
    BOOL RestoreFile(const std::string& copy, const std::string& path) override;
    // Refused as DeleteFileA and RemoveDirectoryA refuse, a user who may not remove the entry
    // from its folder among them.
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
    // The error a copy to to would meet there, or ERROR_SUCCESS.
    DWORD RefusalToWrite(const std::string& to, bool replace);
    // The error making a new entry at path would meet in its folder, or ERROR_SUCCESS.
    DWORD RefusalToAdd(const std::string& path);
    // Whether the machine lets this user remove its own entry at path.
    static bool MayRemove(const std::string& path);
    // Fails with the error Win32 gives for a path that is not there.
    BOOL Missing(const std::string& path);
    bool ParentPresent(const std::string& path);
    // Whether the folder holds anything, as the plan leaves it.
    bool HoldsAnything(const std::string& folder);

    PlannedOverlay m_overlay;
    // The machine's folder last asked of by RefusalToAdd, as written, and its answer; asked again
    // once the plan has made or removed a folder.
    std::string m_checkedFolder;
    DWORD m_checkedRefusal = ERROR_SUCCESS;
    PlannedRegistry m_registry;
};
