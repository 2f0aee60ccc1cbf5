#include "platform/posix/registry/FileRegistryStore.h"

#include "platform/posix/registry/RegFile.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <random>
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
// a lock on the old file guarding nothing. Only a writer makes the file: a read changes nothing
// on the machine (a plan reads all it shows), and without the file no writer has written yet, so
// the store's stamp alone tells a reader what it holds.
class StoreLock {
public:
    StoreLock(const std::string& storePath, int operation)
    {
        const std::string path = storePath + ".lock";
        const bool write = operation == LOCK_EX;
        m_fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (write ? O_CREAT : 0), 0666);
        if (m_fd < 0 && !write && errno != ENOENT)
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
    // The lock file when it is open and locked, else -1.
    int LockedFd() const { return m_error == 0 ? m_fd : -1; }

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

std::uint64_t NewRandom()
{
    std::uint64_t value = 0;
    try {
        std::random_device device;
        value = static_cast<std::uint64_t>(device()) << 32 | device();
    } catch (const std::exception&) {
        // No source of randomness: the clock and the process still set writers apart.
        value = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())
            ^ static_cast<std::uint64_t>(::getpid()) << 40;
    }
    return value != 0 ? value : 1; // zero stands for no token
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

FileRegistryStore::Token FileRegistryStore::ReadToken(int lockFd)
{
    unsigned char bytes[16];
    if (lockFd < 0 || ::pread(lockFd, bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes))
        return {};
    Token token;
    for (int i = 7; i >= 0; --i) {
        token.counter = token.counter << 8 | bytes[i];
        token.random = token.random << 8 | bytes[8 + i];
    }
    return token;
}

bool FileRegistryStore::WriteToken(int lockFd, const Token& token)
{
    unsigned char bytes[16];
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<unsigned char>(token.counter >> 8 * i);
        bytes[8 + i] = static_cast<unsigned char>(token.random >> 8 * i);
    }
    for (;;) {
        const ssize_t n = ::pwrite(lockFd, bytes, sizeof bytes, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == static_cast<ssize_t>(sizeof bytes))
            return true;
        if (n >= 0)
            errno = ENOSPC; // a short write of 16 bytes
        return false;
    }
}

FileRegistryStore::FileRegistryStore(std::string path)
    : m_path(std::move(path))
{ }

std::unique_ptr<FileRegistryStore> FileRegistryStore::Open(const std::string& path, std::string& error)
{
    std::unique_ptr<FileRegistryStore> store(new FileRegistryStore(path));
    StoreLock lock(path, LOCK_SH);
    // No writer is saving while this lock is held: a temp file there is what a writer killed
    // halfway left, and it goes now, as the next write would replace it.
    if (lock.LockedFd() >= 0)
        (void)::unlink(store->TempPath().c_str());
    if (store->Load(true, ReadToken(lock.LockedFd())) != ERROR_SUCCESS) {
        error = store->m_lastError;
        return nullptr;
    }
    return store;
}

LONG FileRegistryStore::Load(bool force, const Token& token)
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

    std::string& text = m_text;
    text.clear();
    int readError = 0;
    if (fd >= 0) {
        // Read straight into a string of the size fstat gave, one byte over to see the end in the
        // same call; but on to the real end, as a hand edit may be changing the file under us.
        std::size_t size = 0;
        text.resize(static_cast<std::size_t>(stamp.exists ? info.st_size : 0) + 1);
        for (;;) {
            if (size == text.size())
                text.resize(2 * size);
            const ssize_t n = ::read(fd, text.data() + size, text.size() - size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                readError = errno;
            if (n <= 0)
                break;
            size += static_cast<std::size_t>(n);
        }
        text.resize(size);
        ::close(fd);
    }
    m_loaded = false;
    if (readError != 0) {
        m_lastError = "cannot read the registry file " + m_path + ": " + std::strerror(readError);
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
    m_token = token;
    m_loaded = true;
    return ERROR_SUCCESS;
}

LONG FileRegistryStore::Read(const std::function<LONG(const RegistryTree&)>& action)
{
    // A new token means another writer: reload. Without a lock file (a folder we may not write)
    // the stamp alone decides, and the read is still whole, as writers rename; so it does while the
    // lock file is empty, as none of our writers has written yet.
    StoreLock lock(m_path, LOCK_SH);
    const Token token = ReadToken(lock.LockedFd());
    const LONG loaded = Load(lock.LockedFd() >= 0 && token != m_token, token);
    return loaded == ERROR_SUCCESS ? action(m_tree) : loaded;
}

bool FileRegistryStore::MayWrite() const
{
    const std::string folder = FolderOf(m_path);
    return !(::access(folder.c_str(), W_OK) != 0 && IsAccessError(errno))
        && !(::access(m_path.c_str(), W_OK) != 0 && IsAccessError(errno));
}

LONG FileRegistryStore::Write(const std::function<LONG(RegistryTree&)>& change)
{
    // A store the user may not write is refused before the change, as a protected key would be.
    if (!MayWrite()) {
        m_lastError = "the registry file " + m_path + " is read-only";
        return ERROR_ACCESS_DENIED;
    }
    StoreLock lock(m_path, LOCK_EX);
    if (lock.Error() != 0) {
        m_lastError = "cannot lock the registry file " + m_path + ": " + std::strerror(lock.Error());
        return ErrorOfErrno(lock.Error());
    }
    // Reload unless both the token and the stamp prove the file the one in memory (see the header).
    const Token seen = ReadToken(lock.LockedFd());
    LONG result = Load(!(seen.Known() && seen == m_token), seen);
    if (result != ERROR_SUCCESS)
        return result;
    // Until the change is saved, the tree may hold part of it, even if change throws.
    m_loaded = false;
    result = change(m_tree);
    if (result == ERROR_SUCCESS)
        result = Save(m_tree, lock.LockedFd(), Token { seen.counter + 1, NewRandom() });
    return result;
}

LONG FileRegistryStore::Save(const RegistryTree& tree, int lockFd, const Token& next)
{
    std::string& text = m_text;
    std::string error;
    if (!WriteRegFile(tree, text, error)) {
        m_lastError = error;
        return ERROR_INVALID_PARAMETER;
    }
    // Writers hold the store's lock, so one temp name serves them all: a writer killed halfway
    // leaves at most this one file, and the next write replaces it.
    const std::string temp = TempPath();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_lastError = "cannot write " + temp + ": " + std::strerror(errno);
        return ErrorOfErrno(errno);
    }
    struct stat existing { };
    bool ok = true;
    if (::stat(m_path.c_str(), &existing) == 0)
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0; // keep the mode the user gave the store
    ok = ok && WriteAll(fd, text) && m_calls.fsync(fd) == 0;
    int err = errno;
    struct stat written { }; // to know the file as ours after the rename
    const bool stamped = ok && ::fstat(fd, &written) == 0;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    // The new token goes in before the rename, so that no reader or writer can see the new file
    // with the old token, even if this process dies in between.
    if (ok && !WriteToken(lockFd, next)) {
        ok = false;
        err = errno;
    }
    if (ok && m_calls.rename(temp.c_str(), m_path.c_str()) != 0) {
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
        (void)m_calls.fsync(folder);
        ::close(folder);
    }
    // The stamp is taken after the rename, which changes the change time, and kept only if it is
    // still of the file written here: a hand edit in between must not pass for ours. Without it the
    // tree is reloaded at the next read or write.
    struct stat info { };
    if (stamped && ::stat(m_path.c_str(), &info) == 0 && info.st_dev == written.st_dev
        && info.st_ino == written.st_ino && info.st_size == written.st_size
        && SameTime(info.st_mtim, written.st_mtim)) {
        m_stamp = Stamp { true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim };
        m_token = next;
        m_loaded = true;
    }
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
