#include "platform/posix/FileRegistryStore.h"

#include "platform/posix/RegFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace posix {

namespace {

LONG ErrorOfErrno(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    default:
        return ERROR_WRITE_FAULT;
    }
}

bool IsAccessError(int err)
{
    return err == EACCES || err == EPERM || err == EROFS;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// An flock on a file beside the store: the store itself is replaced by rename, which would leave
// a lock on the old file guarding nothing.
class StoreLock {
public:
    StoreLock(const std::string& storePath, int operation)
    {
        const std::string path = storePath + ".lock";
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0 && operation == LOCK_SH)
            m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) {
            m_error = errno;
            return;
        }
        while (::flock(m_fd, operation) != 0) {
            if (errno != EINTR) {
                m_error = errno;
                break;
            }
        }
    }
    ~StoreLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    int Error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

bool FileRegistryStore::Stamp::operator==(const Stamp& other) const
{
    if (exists != other.exists)
        return false;
    return !exists
        || (device == other.device && inode == other.inode && size == other.size
            && SameTime(modified, other.modified) && SameTime(changed, other.changed));
}

FileRegistryStore::FileRegistryStore(std::string path)
    : m_path(std::move(path))
{ }

std::unique_ptr<FileRegistryStore> FileRegistryStore::Open(const std::string& path, std::string& error)
{
    std::unique_ptr<FileRegistryStore> store(new FileRegistryStore(path));
    StoreLock lock(path, LOCK_SH);
    if (store->Load(true) != ERROR_SUCCESS) {
        error = store->m_lastError;
        return nullptr;
    }
    return store;
}

LONG FileRegistryStore::Load(bool force)
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    Stamp stamp;
    struct stat info { };
    if (fd < 0 && errno != ENOENT) {
        m_lastError = "cannot read the registry file " + m_path + ": " + std::strerror(errno);
        return IsAccessError(errno) ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT;
    }
    if (fd >= 0 && ::fstat(fd, &info) == 0) {
        stamp = Stamp { true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim };
    }
    if (!force && m_loaded && stamp == m_stamp) {
        if (fd >= 0)
            ::close(fd);
        return ERROR_SUCCESS;
    }

    std::string text;
    bool readOk = true;
    if (fd >= 0) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                readOk = false;
            if (n <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
    }
    m_loaded = false;
    if (!readOk) {
        m_lastError = "cannot read the registry file " + m_path + ": " + std::strerror(errno);
        return ERROR_READ_FAULT;
    }
    RegistryTree tree;
    std::string error;
    if (stamp.exists && !ParseRegFile(text, tree, error)) {
        m_lastError = "the registry file " + m_path + " is damaged, " + error;
        return ERROR_REGISTRY_CORRUPT;
    }
    m_tree = std::move(tree);
    m_stamp = stamp;
    m_loaded = true;
    return ERROR_SUCCESS;
}

LONG FileRegistryStore::Read(const std::function<LONG(const RegistryTree&)>& action)
{
    // Without a lock file (a folder we may not write) the read is still whole: writers rename.
    StoreLock lock(m_path, LOCK_SH);
    const LONG loaded = Load(false);
    return loaded == ERROR_SUCCESS ? action(m_tree) : loaded;
}

LONG FileRegistryStore::Write(const std::function<LONG(RegistryTree&)>& change)
{
    // A store the user may not write is refused before the change, as a protected key would be.
    const std::string folder = FolderOf(m_path);
    if ((::access(folder.c_str(), W_OK) != 0 && IsAccessError(errno))
        || (::access(m_path.c_str(), W_OK) != 0 && IsAccessError(errno))) {
        m_lastError = "the registry file " + m_path + " is read-only";
        return ERROR_ACCESS_DENIED;
    }
    StoreLock lock(m_path, LOCK_EX);
    if (lock.Error() != 0) {
        m_lastError = "cannot lock the registry file " + m_path + ": " + std::strerror(lock.Error());
        return ErrorOfErrno(lock.Error());
    }
    // Always reload: another process may have written since, within the clock's resolution.
    LONG result = Load(true);
    if (result != ERROR_SUCCESS)
        return result;
    result = change(m_tree);
    if (result == ERROR_SUCCESS)
        result = Save(m_tree);
    if (result != ERROR_SUCCESS)
        m_loaded = false; // the tree in memory may hold part of a change that was not saved
    return result;
}

LONG FileRegistryStore::Save(const RegistryTree& tree)
{
    std::string text;
    std::string error;
    if (!WriteRegFile(tree, text, error)) {
        m_lastError = error;
        return ERROR_INVALID_PARAMETER;
    }
    // Writers hold the store's lock, so one temp name serves them all: a writer killed halfway
    // leaves at most this one file, and the next write replaces it.
    const std::string temp = m_path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_lastError = "cannot write " + temp + ": " + std::strerror(errno);
        return ErrorOfErrno(errno);
    }
    struct stat existing { };
    bool ok = true;
    if (::stat(m_path.c_str(), &existing) == 0)
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0; // keep the mode the user gave the store
    ok = ok && WriteAll(fd, text) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.c_str(), m_path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        m_lastError = "cannot write the registry file " + m_path + ": " + std::strerror(err);
        return ErrorOfErrno(err);
    }
    // The rename is durable only once the folder is.
    const int folder = ::open(FolderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    struct stat info { };
    if (::stat(m_path.c_str(), &info) == 0)
        m_stamp = Stamp { true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim };
    else
        m_loaded = false;
    return ERROR_SUCCESS;
}

bool UseRegistryFile(const std::string& path, std::string& error)
{
    std::unique_ptr<FileRegistryStore> store = FileRegistryStore::Open(path, error);
    if (!store)
        return false;
    SetRegistryStore(std::move(store));
    return true;
}

} // namespace posix
