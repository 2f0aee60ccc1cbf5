// Files and folders on POSIX with Win32's results. Names are tried as written first and matched
// without regard to case only when that finds nothing, so the common case costs no folder scans.
#include "platform/CopiedBytes.h"
#include "platform/posix/files/AccessCheck.h"
#include "platform/posix/files/HostPath.h"
#include "platform/posix/Handles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using posix::ErrorFromErrno;
using posix::HostPath;
using posix::MatchCase;
using posix::ResolvePath;

namespace {

struct FileObject : posix::KernelObject {
    explicit FileObject(int descriptor)
        : fd(descriptor)
    { }
    ~FileObject() override { ::close(fd); }
    int fd;
};

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0)
{
    int fd;
    do
        fd = ::open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens host, matching names without regard to case when the name as written is missing.
int OpenMatching(HostPath& path, int flags, mode_t mode, bool lastMayBeMissing)
{
    int fd = OpenRetrying(path.host.c_str(), flags, mode);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        const int original = errno;
        if (MatchCase(path, lastMayBeMissing))
            fd = OpenRetrying(path.host.c_str(), flags, mode);
        else
            errno = original;
    }
    return fd;
}

bool WriteAll(int to, const char* data, std::size_t size)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t put = ::write(to, data + done, size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// A block of a copy on its way through user space.
struct CopyBlock {
    char data[1 << 16];
    std::size_t size = 0;
};

// Reads the next block of from, of at most left bytes when left is given: false on a read error,
// an empty block at the end.
bool ReadBlock(int from, std::optional<off_t> left, CopyBlock& block)
{
    block.size = 0;
    const std::size_t ask
        = left ? static_cast<std::size_t>(std::min<off_t>(*left, sizeof block.data)) : sizeof block.data;
    if (ask == 0)
        return true;
    for (;;) {
        const ssize_t got = ::read(from, block.data, ask);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        block.size = static_cast<std::size_t>(got);
        return true;
    }
}

// Writes block, already read, and the rest of from after it, up to limit bytes in all (or to the
// end), showing each block to bytes, when given, before it is written.
bool CopyThroughBuffer(int from, int to, std::optional<off_t> limit, CopiedBytes* bytes, CopyBlock& block)
{
    while (block.size > 0) {
        if (bytes)
            bytes->Take(block.data, block.size);
        if (!WriteAll(to, block.data, block.size))
            return false;
        if (limit)
            *limit -= static_cast<off_t>(block.size);
        if (!ReadBlock(from, limit, block))
            return false;
    }
    return true;
}

bool CopyContent(int from, int to, off_t size)
{
    // The kernel copies without a trip through user space where it can.
    off_t left = size;
    while (left > 0) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(left), 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied <= 0)
            break;
        left -= copied;
    }
    if (left == 0)
        return true;
    if (::lseek(from, size - left, SEEK_SET) < 0)
        return false;
    // Fallback for file systems without copy_file_range, and for files that grew meanwhile.
    CopyBlock block;
    return ReadBlock(from, std::nullopt, block) && CopyThroughBuffer(from, to, std::nullopt, nullptr, block);
}

} // namespace

DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer)
{
    std::string current;
    if (DWORD error = posix::CurrentWindowsDirectory(current)) {
        SetLastError(error);
        return 0;
    }
    // Too small a buffer receives nothing; the result is then the size needed, terminator included.
    if (!buffer || bufferLength <= current.size())
        return static_cast<DWORD>(current.size() + 1);
    std::memcpy(buffer, current.c_str(), current.size() + 1);
    return static_cast<DWORD>(current.size());
}

DWORD WINAPI GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart)
{
    HostPath resolved;
    if (DWORD error = ResolvePath(fileName, resolved)) {
        SetLastError(error);
        return 0;
    }
    std::string full = std::move(resolved.windows);
    // A trailing separator stays, as Windows keeps it; a drive root has its own.
    const char last = fileName[std::strlen(fileName) - 1];
    if ((last == '\\' || last == '/') && full.back() != '\\')
        full += '\\';
    if (!buffer || bufferLength <= full.size())
        return static_cast<DWORD>(full.size() + 1);
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart)
        *filePart = full.back() == '\\' ? nullptr : buffer + full.rfind('\\') + 1;
    return static_cast<DWORD>(full.size());
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR path)
{
    HostPath resolved;
    if (DWORD error = ResolvePath(path, resolved))
        return Fail(error);
    // Windows keeps room for a trailing separator and the terminator.
    if (resolved.windows.size() > MAX_PATH - 2)
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    if (::chdir(resolved.host.c_str()) != 0) {
        if ((errno == ENOENT || errno == ENOTDIR) && MatchCase(resolved, false)
            && ::chdir(resolved.host.c_str()) == 0)
            return TRUE;
        return Fail(errno == ENOTDIR ? ERROR_DIRECTORY : ErrorFromErrno(errno, resolved.host));
    }
    return TRUE;
}

namespace {

// The entry a path names, its name matched without regard to case when written otherwise; false
// with the last error set when there is none.
bool FindEntry(LPCSTR path, HostPath& resolved, struct stat& st)
{
    if (DWORD error = ResolvePath(path, resolved))
        return Fail(error);
    if (::lstat(resolved.host.c_str(), &st) == 0)
        return true;
    const int error = errno;
    if (MatchCase(resolved, false) && ::lstat(resolved.host.c_str(), &st) == 0)
        return true;
    return Fail(ErrorFromErrno(error, resolved.host));
}

// A link to a folder is a folder to Windows (a directory symlink): RemoveDirectory takes it away
// and DeleteFile refuses it.
bool IsFolder(const HostPath& resolved, const struct stat& st)
{
    struct stat target;
    return S_ISDIR(st.st_mode)
        || (S_ISLNK(st.st_mode) && ::stat(resolved.host.c_str(), &target) == 0 && S_ISDIR(target.st_mode));
}

} // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR path)
{
    HostPath resolved;
    struct stat st;
    if (!FindEntry(path, resolved, st))
        return INVALID_FILE_ATTRIBUTES;
    const bool isLink = S_ISLNK(st.st_mode);
    struct stat target = st;
    if (isLink && ::stat(resolved.host.c_str(), &target) != 0)
        target = st;
    const std::string name = resolved.host.substr(resolved.host.find_last_of('/') + 1);
    return posix::AttributesOf(
        resolved.IsDriveRoot() ? std::string() : name, isLink, target.st_mode, S_ISDIR(target.st_mode));
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES)
{
    HostPath resolved;
    if (DWORD error = ResolvePath(path, resolved))
        return Fail(error);
    if (resolved.IsDriveRoot())
        return Fail(ERROR_ACCESS_DENIED);
    // A folder whose name differs only in case is the same folder on Windows.
    struct stat st;
    if (::lstat(resolved.host.c_str(), &st) == 0)
        return Fail(ERROR_ALREADY_EXISTS);
    HostPath matched = resolved;
    MatchCase(matched, true);
    if (matched.host != resolved.host && ::lstat(matched.host.c_str(), &st) == 0)
        return Fail(ERROR_ALREADY_EXISTS);
    if (::mkdir(matched.host.c_str(), 0777) != 0)
        return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, matched.host));
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR path)
{
    HostPath resolved;
    struct stat st;
    if (!FindEntry(path, resolved, st))
        return FALSE;
    // Windows refuses folders and read-only files; unlink would take either.
    if (IsFolder(resolved, st)
        || (posix::AttributesOf("", false, st.st_mode, false) & FILE_ATTRIBUTE_READONLY))
        return Fail(ERROR_ACCESS_DENIED);
    if (::unlink(resolved.host.c_str()) != 0)
        return Fail(ErrorFromErrno(errno, resolved.host));
    return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR existingFile, LPCSTR newFile, DWORD flags)
{
    HostPath from;
    struct stat st;
    if (!FindEntry(existingFile, from, st))
        return FALSE;
    if (IsFolder(from, st))
        return Fail(ERROR_ACCESS_DENIED);
    HostPath to;
    struct stat there;
    if (FindEntry(newFile, to, there)) { // the name as it is spelled there, if it is
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return Fail(ERROR_ALREADY_EXISTS);
        if (IsFolder(to, there)
            || (posix::AttributesOf("", false, there.st_mode, false) & FILE_ATTRIBUTE_READONLY))
            return Fail(ERROR_ACCESS_DENIED);
    } else if (DWORD error = ResolvePath(newFile, to)) {
        return Fail(error);
    }
    if (::rename(from.host.c_str(), to.host.c_str()) != 0)
        return Fail(errno == EXDEV ? ERROR_NOT_SAME_DEVICE : ErrorFromErrno(errno, to.host));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR path)
{
    HostPath resolved;
    struct stat st;
    if (!FindEntry(path, resolved, st))
        return FALSE;
    if (!IsFolder(resolved, st))
        return Fail(ERROR_DIRECTORY);
    if (resolved.IsDriveRoot())
        return Fail(ERROR_ACCESS_DENIED);
    if (S_ISLNK(st.st_mode)) {
        if (::unlink(resolved.host.c_str()) != 0)
            return Fail(ErrorFromErrno(errno, resolved.host));
        return TRUE;
    }
    if (::rmdir(resolved.host.c_str()) != 0)
        return Fail(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY
                                                          : ErrorFromErrno(errno, resolved.host));
    return TRUE;
}

namespace {

// CopyFileA, with the content handed to bytes on its way when bytes is given.
BOOL CopyFileWatched(LPCSTR existingFile, LPCSTR newFile, BOOL failIfExists, CopiedBytes* bytes)
{
    HostPath source;
    HostPath target;
    if (DWORD error = ResolvePath(existingFile, source))
        return Fail(error);
    if (DWORD error = ResolvePath(newFile, target))
        return Fail(error);

    const int from = OpenMatching(source, O_RDONLY, 0, false);
    if (from < 0)
        return Fail(ErrorFromErrno(errno, source.host));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closeFrom { from };
    struct stat info;
    if (::fstat(from, &info) != 0)
        return Fail(ErrorFromErrno(errno, source.host));
    if (S_ISDIR(info.st_mode))
        return Fail(ERROR_ACCESS_DENIED);
    const mode_t mode = info.st_mode & 0777;
    // For one who watches, the copy goes through user space, stopping at the size the source had
    // when it was opened (or earlier at its end), so it needs no last read to find the end. Its
    // first block is read before the copy starts: a log finishes the line of the copy before it
    // meanwhile.
    CopyBlock block;
    std::optional<off_t> left;
    if (bytes) {
        left = info.st_size;
        if (!ReadBlock(from, left, block))
            return Fail(ErrorFromErrno(errno, source.host));
        if (!bytes->BeforeCopy())
            return Fail(ERROR_CANCELLED);
    }

    // A new file is the common case: create it exclusively and check nothing else.
    int to = OpenMatching(target, O_WRONLY | O_CREAT | O_EXCL, mode, true);
    if (to < 0 && errno == EEXIST) {
        if (failIfExists)
            return Fail(ERROR_FILE_EXISTS);
        struct stat existing;
        if (::stat(target.host.c_str(), &existing) != 0)
            return Fail(ErrorFromErrno(errno, target.host));
        // Windows refuses to replace a folder or a read-only file, even for an administrator,
        // where root on POSIX could.
        if (S_ISDIR(existing.st_mode) || !(existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            return Fail(ERROR_ACCESS_DENIED);
        to = OpenRetrying(target.host.c_str(), O_WRONLY | O_TRUNC);
        if (to >= 0)
            (void)::fchmod(to, mode); // the copy takes the source's attributes
    }
    if (to < 0)
        return Fail(errno == EISDIR ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno, target.host));

    bool copied
        = bytes ? CopyThroughBuffer(from, to, left, bytes, block) : CopyContent(from, to, info.st_size);
    const int copyError = errno;
    // Like CopyFile, keep the source's last-write time.
    const struct timespec times[2] = { { 0, UTIME_OMIT }, info.st_mtim };
    (void)::futimens(to, times);
    if (::close(to) != 0)
        copied = false;
    if (!copied) {
        // A half-written copy is not left behind.
        ::unlink(target.host.c_str());
        return Fail(copyError == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
    }
    return TRUE;
}

} // namespace

BOOL WINAPI CopyFileA(LPCSTR existingFile, LPCSTR newFile, BOOL failIfExists)
{
    return CopyFileWatched(existingFile, newFile, failIfExists, nullptr);
}

BOOL CopyFileSeeing(LPCSTR existingFile, LPCSTR newFile, BOOL failIfExists, CopiedBytes& bytes)
{
    return CopyFileWatched(existingFile, newFile, failIfExists, &bytes);
}

HANDLE WINAPI CreateFileA(
    LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flags, HANDLE)
{
    HostPath resolved;
    if (DWORD error = ResolvePath(fileName, resolved)) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    int openFlags = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        openFlags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        openFlags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_ALWAYS:
        openFlags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        openFlags |= O_TRUNC;
        break;
    case OPEN_EXISTING:
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = OpenMatching(resolved, openFlags, 0666, (openFlags & O_CREAT) != 0);
    if (fd < 0) {
        SetLastError(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(errno, resolved.host));
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    // Opening a folder as a file is refused on Windows, but for backup semantics.
    const DWORD refused = ::fstat(fd, &st) != 0 || (S_ISDIR(st.st_mode) && !(flags & FILE_FLAG_BACKUP_SEMANTICS))
        ? ERROR_ACCESS_DENIED
        : posix::RefusedAccess(resolved.host, S_ISDIR(st.st_mode), access);
    if (refused != ERROR_SUCCESS) {
        ::close(fd);
        SetLastError(refused);
        return INVALID_HANDLE_VALUE;
    }
    return posix::AddHandle(std::make_unique<FileObject>(fd));
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPVOID)
{
    auto* object = posix::HandleAs<FileObject>(file);
    if (!object)
        return Fail(ERROR_INVALID_HANDLE);
    if (!buffer && bytesToRead)
        return Fail(ERROR_INVALID_PARAMETER);
    // A disk file delivers the whole count unless the end comes first.
    DWORD total = 0;
    while (total < bytesToRead) {
        const ssize_t got = ::read(object->fd, static_cast<char*>(buffer) + total, bytesToRead - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (bytesRead)
                *bytesRead = total;
            return Fail(errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
        }
        if (got == 0)
            break;
        total += static_cast<DWORD>(got);
    }
    if (bytesRead)
        *bytesRead = total;
    return TRUE;
}

bool CloseProcessHandle(HANDLE handle); // ProcessApi.cpp

BOOL WINAPI CloseHandle(HANDLE object)
{
    // Search handles have FindClose of their own.
    if (!posix::RemoveHandleOf<FileObject>(object) && !CloseProcessHandle(object))
        return Fail(ERROR_INVALID_HANDLE);
    return TRUE;
}
