#include "platform/posix/files/HostPath.h"

#include "platform/posix/CaseFold.h"
#include "platform/posix/files/DriveMap.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace posix {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsForbidden(unsigned char c, bool allowWildcards)
{
    if (c < 0x20)
        return true;
    switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
        return true;
    case '*':
    case '?':
        return !allowWildcards;
    default:
        return false;
    }
}

std::vector<std::string> SplitWindows(const std::string& path)
{
    std::vector<std::string> names;
    std::string current;
    for (char c : path) {
        if (IsSeparator(c)) {
            if (!current.empty())
                names.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        names.push_back(std::move(current));
    return names;
}

std::string ParentOf(const std::string& host)
{
    const std::size_t slash = host.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : host.substr(0, slash);
}

bool Exists(const std::string& host)
{
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0;
}

// The entry of folder whose name equals name without regard to case; empty when none.
std::string FindFolded(const std::string& folder, const std::string& name)
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "/" : folder.c_str()), ::closedir);
    if (!dir)
        return {};
    while (const dirent* entry = ::readdir(dir.get())) {
        if (EqualsFolded(entry->d_name, name))
            return entry->d_name;
    }
    return {};
}

} // namespace

DWORD CurrentWindowsDirectory(std::string& out)
{
    std::vector<char> buffer(512);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return ErrorFromErrno(errno, ".");
        buffer.resize(buffer.size() * 2);
    }
    out = WindowsPathOfHost(buffer.data());
    return out.empty() ? ERROR_PATH_NOT_FOUND : 0;
}

DWORD ResolvePath(LPCSTR path, HostPath& out, bool allowWildcards)
{
    if (!path || !*path)
        return ERROR_PATH_NOT_FOUND;
    const std::string text(path);
    if (text.size() > MAX_PATH)
        return ERROR_FILENAME_EXCED_RANGE;
    if (IsSeparator(text[0]) && text.size() > 1 && IsSeparator(text[1]))
        return ERROR_BAD_NETPATH;

    char drive = 0;
    std::string rest = text;
    bool relative = true;
    if (text.size() >= 2 && DriveIndex(text[0]) >= 0 && text[1] == ':') {
        drive = static_cast<char>('A' + DriveIndex(text[0]));
        rest = text.substr(2);
        relative = rest.empty() || !IsSeparator(rest[0]);
    } else if (IsSeparator(text[0])) {
        relative = false;
    }

    std::vector<std::string> names;
    if (drive == 0 || relative) {
        std::string current;
        if (DWORD error = CurrentWindowsDirectory(current))
            return error;
        const char currentDrive = current[0];
        if (drive == 0)
            drive = currentDrive;
        // A drive-relative path on another drive starts at that drive's root: there is no
        // per-drive current directory here.
        if (relative && drive == currentDrive)
            names = SplitWindows(current.substr(2));
    }

    const std::vector<std::string> given = SplitWindows(rest);
    for (std::size_t i = 0; i < given.size(); ++i) {
        const std::string& name = given[i];
        if (name == ".")
            continue;
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
            continue;
        }
        const bool last = i + 1 == given.size();
        for (char c : name)
            if (IsForbidden(static_cast<unsigned char>(c), allowWildcards && last))
                return ERROR_INVALID_NAME;
        names.push_back(name);
    }

    const std::optional<std::string> root = DriveRoot(drive);
    if (!root)
        return ERROR_PATH_NOT_FOUND;

    std::string windows(1, drive);
    windows += ":\\";
    std::string host = *root == "/" ? std::string() : *root;
    out.rootLength = host.size();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i)
            windows += '\\';
        windows += names[i];
        host += '/';
        host += names[i];
    }
    if (host.empty())
        host.push_back('/');
    out.windows = std::move(windows);
    out.host = std::move(host);
    return 0;
}

bool MatchCase(HostPath& path, bool lastMayBeMissing)
{
    const std::string tail = path.host.substr(path.rootLength);
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < tail.size()) {
        std::size_t end = tail.find('/', start);
        if (end == std::string::npos)
            end = tail.size();
        if (end > start)
            names.push_back(tail.substr(start, end - start));
        start = end + 1;
    }
    std::string rebuilt = path.host.substr(0, path.rootLength);
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string candidate = rebuilt + "/" + names[i];
        if (!Exists(candidate)) {
            const std::string found = FindFolded(rebuilt, names[i]);
            if (found.empty()) {
                if (i + 1 == names.size() && lastMayBeMissing) {
                    rebuilt = std::move(candidate); // a new name keeps the spelling given
                    break;
                }
                return false;
            }
            candidate = rebuilt + "/" + found;
        }
        rebuilt = std::move(candidate);
    }
    if (rebuilt == path.host || rebuilt.empty())
        return false;
    path.host = rebuilt;
    return true;
}

DWORD ErrorFromErrno(int error, const std::string& host)
{
    switch (error) {
    case ENOENT: {
        struct stat st;
        const std::string parent = ParentOf(host);
        return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                       : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EIO:
        return ERROR_READ_FAULT;
    default:
        return 31; // ERROR_GEN_FAILURE
    }
}

DWORD AttributesOf(const std::string& name, bool isLink, unsigned mode, bool targetIsDirectory)
{
    DWORD attributes = targetIsDirectory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    // A file nobody may write is what Windows calls read-only.
    if (!targetIsDirectory && !(mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        attributes |= FILE_ATTRIBUTE_READONLY;
    // Dot files are hidden, as Wine shows them.
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    // A symbolic link is a reparse point, like a Windows symlink or junction.
    if (isLink)
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return attributes;
}

} // namespace posix
