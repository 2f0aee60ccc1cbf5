#include "platform/CallerFiles.h"

#include "platform/CallerFileSides.h"
#include "platform/CurrentDirectory.h"
#include "platform/PathNames.h"
#include "platform/UniqueHandle.h"
#include "platform/win32.h"

#include <io.h>
#include <string_view>

std::string FullFileName(const std::string& name)
{
    return GetFullPathText(name);
}

FileKind KindOfFile(const std::string& name)
{
    const std::string full = GetFullPathText(name);
    if (full.empty())
        return FileKind::Unknown;
    // The device namespace (\\.\, \\?\), a device name, or a stream after a file's name.
    if (full.starts_with("\\\\.\\") || full.starts_with("\\\\?\\")
        || IsDeviceName(full.substr(full.find_last_of("\\/") + 1)) || full.find(':', 2) != std::string::npos)
        return FileKind::Other;
    const DWORD attributes = GetFileAttributesA(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileKind::Missing
                                                                              : FileKind::Unknown;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileKind::Folder;
    const UniqueFile file(CreateFileA(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return FileKind::Unknown;
    return GetFileType(file.get()) == FILE_TYPE_DISK ? FileKind::Regular : FileKind::Other;
}

std::FILE* OpenRegularFile(const std::string& name)
{
    if (KindOfFile(name) != FileKind::Regular)
        return nullptr;
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file)
        return nullptr;
    // The file opened, not the name looked at before: a name can change between the two.
    const intptr_t handle = _get_osfhandle(_fileno(file));
    BY_HANDLE_FILE_INFORMATION information;
    if (handle == -1 || GetFileType(reinterpret_cast<HANDLE>(handle)) != FILE_TYPE_DISK
        || !GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), &information)
        || (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        (void)std::fclose(file);
        return nullptr;
    }
    return file;
}

std::string_view OtherFileKinds()
{
    return "a device, a pipe or a stream of a file";
}

// The registry is the system's own, kept where no path of the caller's names it.
bool IsMachineFile(const std::string&, std::string&)
{
    return false;
}

namespace {

// The volume and the file's index on it; false when name cannot be opened to ask.
bool FileIdentity(const std::string& name, BY_HANDLE_FILE_INFORMATION& information)
{
    // No access is asked for: only the file's attributes are read. Folders open only with backup
    // semantics.
    const UniqueFile file(CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &information);
}

} // namespace

bool SameFile(const std::string& a, const std::string& b)
{
    BY_HANDLE_FILE_INFORMATION first {};
    BY_HANDLE_FILE_INFORMATION second {};
    return FileIdentity(a, first) && FileIdentity(b, second)
        && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber
        && first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}
