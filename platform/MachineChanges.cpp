#include "platform/MachineChanges.h"

#include "platform/CFileFind.h"
#include "platform/UniqueHandle.h"

#include <vector>

namespace {

MachineChanges g_platformChanges;
MachineChanges* g_changes = nullptr;

} // namespace

bool MachineChanges::Exists(const std::string& path)
{
    CFileFind finder;
    return finder.FindFile(path.c_str()) != FALSE;
}

BOOL MachineChanges::CreateFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr);
}

BOOL MachineChanges::CopyFileTo(const std::string& from, const std::string& to, ULONGLONG)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE);
}

BOOL MachineChanges::CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes)
{
    return ::CopyFileSeeing(from.c_str(), to.c_str(), FALSE, bytes);
}

BOOL MachineChanges::KeepCopy(const std::string& from, const std::string& to)
{
    return CopyFileA(from.c_str(), to.c_str(), TRUE);
}

RegistryChange MachineChanges::WriteString(
    HKEY root, const std::string& keyPath, const std::string& name, const std::string& data)
{
    RegistryChange result;
    UniqueKey key;
    result.open = RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_WRITE, key.put());
    if (result.open != ERROR_SUCCESS)
        return result;
    result.change = RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
        reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
    return result;
}

RegistryChange MachineChanges::CreateSubKey(
    HKEY root, const std::string& parentPath, const std::string& childName)
{
    RegistryChange result;
    UniqueKey parent;
    result.open = RegOpenKeyExA(root, parentPath.c_str(), 0, KEY_WRITE, parent.put());
    if (result.open != ERROR_SUCCESS)
        return result;
    UniqueKey child;
    DWORD disposition = 0;
    result.change = RegCreateKeyExA(parent.get(), childName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
        KEY_WRITE, nullptr, child.put(), &disposition);
    result.created = result.change == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return result;
}

RegistryChange MachineChanges::DeleteValue(HKEY root, const std::string& keyPath, const std::string& name)
{
    RegistryChange result;
    UniqueKey key;
    result.open = RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_SET_VALUE, key.put());
    if (result.open != ERROR_SUCCESS)
        return result;
    result.change = RegDeleteValueA(key.get(), name.c_str());
    return result;
}

RegistryChange MachineChanges::DeleteKey(HKEY root, const std::string& keyPath)
{
    RegistryChange result;
    result.change = RegDeleteKeyA(root, keyPath.c_str());
    return result;
}

BOOL MachineChanges::RemoveFile(const std::string& path)
{
    return DeleteFileA(path.c_str());
}

BOOL MachineChanges::RemoveFolder(const std::string& path)
{
    return RemoveDirectoryA(path.c_str());
}

BOOL MachineChanges::RestoreFile(const std::string& copy, const std::string& path)
{
    // The copy goes beside the file under a name of its own, then over it in one step: a run
    // stopped halfway leaves the file as it was (and that copy, which the next restore replaces),
    // never a file cut short.
    const std::string beside = path + ".tarnwick-restore";
    if (!CopyFileA(copy.c_str(), beside.c_str(), FALSE))
        return FALSE;
    if (!MoveFileExA(beside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = GetLastError();
        (void)DeleteFileA(beside.c_str());
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

UniqueObject StartWindowlessProcess(const std::string& commandLine)
{
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
            &startup, &process))
        return UniqueObject();
    (void)CloseHandle(process.hThread);
    return UniqueObject(process.hProcess);
}

BOOL MachineChanges::StartCommand(const std::string& commandLine)
{
    // Nothing waits for the command: its handle is closed at once.
    return StartWindowlessProcess(commandLine) ? TRUE : FALSE;
}

BOOL MachineChanges::RunCommand(const std::string& commandLine, std::optional<DWORD>& exitCode)
{
    const UniqueObject process = StartWindowlessProcess(commandLine);
    if (!process)
        return FALSE; // the last error stays the start's
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0
        || !GetExitCodeProcess(process.get(), &code))
        code = STILL_ACTIVE;
    exitCode = code;
    return TRUE;
}

void MachineChanges::Pause(DWORD milliseconds)
{
    (void)SleepEx(milliseconds, FALSE);
}

std::optional<std::string> MachineChanges::StoredText(
    HKEY root, const std::string& keyPath, const std::string& name)
{
    UniqueKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '\0');
    if (RegQueryValueExA(
            key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer.data()), &size)
        != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(buffer.data());
}

bool MachineChanges::ListKey(HKEY root, const std::string& keyPath, KeyNames& names)
{
    UniqueKey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    KeyNames found;
    // A key's name has at most 255 characters, a value's 16,383.
    std::vector<char> name(16384);
    for (DWORD size = 256; RegEnumKeyExA(key.get(), static_cast<DWORD>(found.subkeys.size()), name.data(),
                               &size, nullptr, nullptr, nullptr, nullptr)
         == ERROR_SUCCESS;
         size = 256)
        found.subkeys.emplace_back(name.data(), size);
    for (DWORD size = static_cast<DWORD>(name.size());
         RegEnumValueA(key.get(), static_cast<DWORD>(found.values.size()), name.data(), &size, nullptr,
             nullptr, nullptr, nullptr)
         == ERROR_SUCCESS;
         size = static_cast<DWORD>(name.size()))
        found.values.emplace_back(name.data(), size);
    names = std::move(found);
    return true;
}

PathState MachineChanges::LookAt(const std::string& path)
{
    PathState state;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return state;
    state.present = true;
    state.attributes = attributes;
    state.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    state.contents = path;
    WIN32_FIND_DATAA data {};
    const UniqueFind find(FindFirstFileA(path.c_str(), &data));
    if (!state.folder && find)
        state.bytes = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return state;
}

MachineChanges& GetMachineChanges()
{
    return g_changes ? *g_changes : g_platformChanges;
}

MachineChanges* SetMachineChanges(MachineChanges* changes)
{
    MachineChanges* previous = g_changes;
    g_changes = changes;
    return previous;
}
