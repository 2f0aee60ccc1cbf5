// Every change Tarnwick makes to the machine goes through the active MachineChanges: folders made,
// files copied, registry keys created and values set, commands started. So do the questions whose
// answer an earlier change of the same run can alter (does this folder exist yet?). The platform's
// own carries each change out with its Win32 call; a front end can put its own in front, to log
// every change as it is made or, for a dry run, to record it over an overlay instead of making it.
#pragma once

#include "platform/CopiedBytes.h"
#include "platform/UniqueHandle.h"
#include "platform/win32.h"

#include <optional>
#include <string>
#include <vector>

// What a look at one path finds.
struct PathState {
    bool present = false;
    bool folder = false;
    DWORD attributes = 0; // as GetFileAttributesA gives them
    ULONGLONG bytes = 0; // a file's size
    // Where a file's bytes can be read now: the path itself, or, for a file a plan has copied, the
    // copy's source.
    std::string contents;
};

// The names a registry key holds, as written.
struct KeyNames {
    std::vector<std::string> subkeys;
    std::vector<std::string> values;
};

// The outcome of one registry change, with Win32's codes.
struct RegistryChange {
    LONG open = ERROR_SUCCESS; // opening the key (for a new key: its parent) for writing
    LONG change = ERROR_SUCCESS; // the write itself; not tried, and left as is, when open failed
    bool created = false; // CreateSubKey only: the key did not exist before
};

class MachineChanges {
public:
    virtual ~MachineChanges() = default;

    // Whether this machine answers Exists for what the run made without a look at the disk (a
    // plan's overlay does): one who watches the changes then needs no record of its own.
    virtual bool RecordsWhatItMade() const { return false; }
    // true when a file or folder of that name exists, as CFileFind::FindFile answers it.
    virtual bool Exists(const std::string& path);
    // CreateDirectoryA: TRUE, or FALSE with the last error set (ERROR_ALREADY_EXISTS among others).
    virtual BOOL CreateFolder(const std::string& path);
    // CopyFileA, replacing an existing file: TRUE, or FALSE with the last error set. size is the
    // source's size as the folder listing gave it, for those who watch; the copy does not use it.
    virtual BOOL CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size);
    // The same copy, everything it holds also handed to bytes as it is made (CopyFileSeeing).
    virtual BOOL CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes);
    // CopyFileA that never replaces: FALSE with ERROR_FILE_EXISTS when to exists already. For a copy
    // kept aside, such as a file's backup before it is replaced.
    virtual BOOL KeepCopy(const std::string& from, const std::string& to);
    // Opens root\keyPath for writing (never creating it) and sets name to data as REG_SZ.
    virtual RegistryChange WriteString(
        HKEY root, const std::string& keyPath, const std::string& name, const std::string& data);
    // Opens root\parentPath for writing and creates childName below it, or opens it when it exists.
    virtual RegistryChange CreateSubKey(
        HKEY root, const std::string& parentPath, const std::string& childName);
    // Opens root\keyPath with KEY_SET_VALUE and deletes the value name (RegDeleteValueA).
    virtual RegistryChange DeleteValue(HKEY root, const std::string& keyPath, const std::string& name);
    // RegDeleteKeyA: the key goes with its values, but not while it has subkeys (ERROR_ACCESS_DENIED).
    // open is always ERROR_SUCCESS: nothing is opened first.
    virtual RegistryChange DeleteKey(HKEY root, const std::string& keyPath);
    // DeleteFileA: never a folder or a read-only file (ERROR_ACCESS_DENIED). TRUE, or FALSE with
    // the last error set.
    virtual BOOL RemoveFile(const std::string& path);
    // RemoveDirectoryA: only an empty folder (ERROR_DIR_NOT_EMPTY). TRUE, or FALSE with the last
    // error set.
    virtual BOOL RemoveFolder(const std::string& path);
    // Copies copy over path, so that path holds what copy holds again: beside it first, then
    // renamed over it (MoveFileExA), so that path is never left cut short.
    virtual BOOL RestoreFile(const std::string& copy, const std::string& path);
    // Starts a command line as a process without a window and does not wait for it: TRUE when it
    // started.
    virtual BOOL StartCommand(const std::string& commandLine);
    // Starts a command line as StartCommand does and waits for it to end: TRUE when it started,
    // with exitCode set to its exit code (STILL_ACTIVE when that cannot be read); FALSE with the
    // last error set. A machine that only plans starts nothing: TRUE, exitCode left empty.
    virtual BOOL RunCommand(const std::string& commandLine, std::optional<DWORD>& exitCode);
    // Waits before the next change (between stopping and starting a service).
    virtual void Pause(DWORD milliseconds);

    // A value's data as text, cut at its first zero byte; empty when the key or the value is
    // missing or cannot be read. Unlike the product's registry reads, an absent value is told
    // apart from an empty one.
    virtual std::optional<std::string> StoredText(
        HKEY root, const std::string& keyPath, const std::string& name);
    // The subkeys and values of root\keyPath, opened for reading: false, names untouched, when it
    // cannot be opened.
    virtual bool ListKey(HKEY root, const std::string& keyPath, KeyNames& names);
    // What GetFileAttributesA finds at path and, for a file, its size as its folder lists it.
    virtual PathState LookAt(const std::string& path);
};

// Starts a command line as a process without a window, its handles not inherited: the process
// handle (its thread's is closed), or an empty one with the last error set.
UniqueObject StartWindowlessProcess(const std::string& commandLine);

// The one in use; the platform's own until SetMachineChanges replaces it.
MachineChanges& GetMachineChanges();

// Installs changes (nullptr restores the platform's own) and returns the one it replaces, or
// nullptr when that was the platform's own.
MachineChanges* SetMachineChanges(MachineChanges* changes);
