// Directory searches on POSIX. The whole folder is read at FindFirstFileA and handed out entry by
// entry, "." and ".." first (except at a drive root), the rest in the order Wine reports them:
// sorted without regard to case.
#include "platform/posix/CaseFold.h"
#include "platform/posix/files/HostPath.h"
#include "platform/posix/Handles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using posix::HostPath;

namespace {

struct FindObject : posix::KernelObject {
    std::vector<WIN32_FIND_DATAA> entries;
    std::size_t next = 0;
};

HANDLE FailFind(DWORD error)
{
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

FILETIME ToFileTime(const struct timespec& time)
{
    // 100-nanosecond intervals since 1601-01-01.
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.tv_sec) + 11644473600ULL) * 10000000ULL
        + static_cast<std::uint64_t>(time.tv_nsec) / 100;
    return FILETIME { static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
}

// Fills data for one entry of the folder open as dirFd; false when it vanished or its name does not
// fit a WIN32_FIND_DATAA.
bool Describe(int dirFd, const char* hostName, const std::string& reportedName, WIN32_FIND_DATAA& data)
{
    if (reportedName.size() >= MAX_PATH)
        return false;
    struct stat st;
    if (::fstatat(dirFd, hostName, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    const bool isLink = S_ISLNK(st.st_mode);
    struct stat target = st;
    if (isLink && ::fstatat(dirFd, hostName, &target, 0) != 0)
        target = st;
    data = WIN32_FIND_DATAA {};
    data.dwFileAttributes
        = posix::AttributesOf(reportedName, isLink, target.st_mode, S_ISDIR(target.st_mode));
    data.ftCreationTime = ToFileTime(target.st_ctim);
    data.ftLastAccessTime = ToFileTime(target.st_atim);
    data.ftLastWriteTime = ToFileTime(target.st_mtim);
    if (!S_ISDIR(target.st_mode)) {
        const auto size = static_cast<std::uint64_t>(target.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
    }
    std::memcpy(data.cFileName, reportedName.c_str(), reportedName.size() + 1);
    return true;
}

bool MatchesFrom(const char* name, const char* pattern)
{
    for (; *pattern; ++pattern, ++name) {
        if (*pattern == '*') {
            while (pattern[1] == '*')
                ++pattern;
            if (!pattern[1])
                return true;
            for (const char* rest = name; *rest; ++rest)
                if (MatchesFrom(rest, pattern + 1))
                    return true;
            return MatchesFrom("", pattern + 1);
        }
        if (!*name)
            return false;
        if (*pattern != '?'
            && posix::FoldCase(static_cast<unsigned char>(*pattern))
                != posix::FoldCase(static_cast<unsigned char>(*name)))
            return false;
    }
    return !*name;
}

// Windows' wildcards: "*" and "?" without regard to case; "*.*" matches every name, and a pattern
// ending in ".*" also matches the name without the dot.
bool Matches(const std::string& name, const std::string& pattern)
{
    if (pattern == "*" || pattern == "*.*")
        return true;
    if (MatchesFrom(name.c_str(), pattern.c_str()))
        return true;
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0
        && name.find('.') == std::string::npos)
        return MatchesFrom(name.c_str(), pattern.substr(0, pattern.size() - 2).c_str());
    return false;
}

bool HasWildcards(const std::string& name)
{
    return name.find_first_of("*?") != std::string::npos;
}

} // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    if (!pattern || !data)
        return FailFind(ERROR_INVALID_PARAMETER);
    const std::string text(pattern);
    const std::size_t cut = text.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
    std::string namePattern = cut == std::string::npos ? text : text.substr(cut + 1);
    if (cut == std::string::npos && text.size() >= 2 && text[1] == ':') {
        folder = text.substr(0, 2);
        namePattern = text.substr(2);
    }
    // "C:\dir\" names no entry.
    if (namePattern.empty())
        return FailFind(ERROR_FILE_NOT_FOUND);

    auto find = std::make_unique<FindObject>();
    if (!HasWildcards(namePattern)) {
        // One entry, named exactly: the name as it is on disk.
        HostPath path;
        if (DWORD error = posix::ResolvePath(pattern, path))
            return FailFind(error);
        if (path.IsDriveRoot())
            return FailFind(ERROR_FILE_NOT_FOUND);
        struct stat st;
        if (::lstat(path.host.c_str(), &st) != 0
            && (!posix::MatchCase(path, false) || ::lstat(path.host.c_str(), &st) != 0))
            return FailFind(posix::ErrorFromErrno(ENOENT, path.host));
        const std::size_t slash = path.host.find_last_of('/');
        const std::string parent = slash == 0 ? "/" : path.host.substr(0, slash);
        const std::string name = path.host.substr(slash + 1);
        const int dirFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        WIN32_FIND_DATAA entry;
        const bool described = dirFd >= 0 && Describe(dirFd, name.c_str(), name, entry);
        if (dirFd >= 0)
            ::close(dirFd);
        if (!described)
            return FailFind(ERROR_FILE_NOT_FOUND);
        find->entries.push_back(entry);
    } else {
        HostPath path;
        if (DWORD error = posix::ResolvePath(folder.empty() ? "." : folder.c_str(), path))
            return FailFind(error);
        int dirFd = ::open(path.host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0 && (errno == ENOENT || errno == ENOTDIR) && posix::MatchCase(path, false))
            dirFd = ::open(path.host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0)
            return FailFind(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                                : posix::ErrorFromErrno(errno, path.host));
        DIR* dir = ::fdopendir(dirFd);
        if (!dir) {
            ::close(dirFd);
            return FailFind(ERROR_PATH_NOT_FOUND);
        }
        std::vector<WIN32_FIND_DATAA> found;
        while (const dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name == "." || name == ".." || !Matches(name, namePattern))
                continue;
            WIN32_FIND_DATAA entry;
            if (Describe(dirfd(dir), item->d_name, name, entry))
                found.push_back(entry);
        }
        std::sort(found.begin(), found.end(), [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
            return posix::CompareFolded(a.cFileName, b.cFileName) < 0;
        });
        if (!path.IsDriveRoot()) {
            for (const char* dots : { ".", ".." }) {
                WIN32_FIND_DATAA entry;
                if (Matches(dots, namePattern) && Describe(dirfd(dir), dots, dots, entry))
                    find->entries.push_back(entry);
            }
        }
        ::closedir(dir);
        find->entries.insert(find->entries.end(), found.begin(), found.end());
        if (find->entries.empty())
            return FailFind(ERROR_FILE_NOT_FOUND);
    }
    *data = find->entries[0];
    find->next = 1;
    return posix::AddHandle(std::move(find));
}

BOOL WINAPI FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data)
{
    auto* find = posix::HandleAs<FindObject>(handle);
    if (!find || !data) {
        SetLastError(find ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (find->next >= find->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = find->entries[find->next++];
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE handle)
{
    if (!posix::RemoveHandleOf<FindObject>(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
