#include "platform/MachineLogKey.h"

#include "platform/posix/Descriptor.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using posix::UniqueDescriptor;

namespace {

std::string Why(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// Reads exactly size bytes; false at an early end or a failed read.
bool ReadExactly(int fd, char* buffer, std::size_t size)
{
    while (size > 0) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool WriteExactly(int fd, const char* buffer, std::size_t size)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, buffer, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        buffer += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

enum class Found { Key, None, Refused };

// The key file as it is; a link is not followed, so nobody can point it at a file of theirs.
Found ReadKeyFile(const std::string& path, std::string& key, std::string& error)
{
    const UniqueDescriptor fd(
        ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (!fd) {
        if (errno == ENOENT)
            return Found::None;
        error = Why("cannot open the log key " + path);
        return Found::Refused;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        error = Why("cannot look at the log key " + path);
        return Found::Refused;
    }
    if (!S_ISREG(st.st_mode) || st.st_size != static_cast<off_t>(kMachineLogKeySize)) {
        error = "the log key " + path + " is not a file of " + std::to_string(kMachineLogKeySize) + " bytes";
        return Found::Refused;
    }
    if ((st.st_mode & 077) != 0 || st.st_uid != ::geteuid()) {
        error = "the log key " + path
            + " may be read or changed by others than its owner, or is another user's";
        return Found::Refused;
    }
    std::string bytes(kMachineLogKeySize, '\0');
    char past = 0;
    if (!ReadExactly(fd.get(), bytes.data(), bytes.size()) || ::read(fd.get(), &past, 1) != 0) {
        error = Why("cannot read the log key " + path);
        return Found::Refused;
    }
    key = std::move(bytes);
    return Found::Key;
}

bool RandomBytes(std::string& bytes, std::string& error)
{
    const UniqueDescriptor source(::open("/dev/urandom", O_RDONLY | O_CLOEXEC));
    bytes.assign(kMachineLogKeySize, '\0');
    if (!source || !ReadExactly(source.get(), bytes.data(), bytes.size())) {
        error = Why("cannot read the system's random source /dev/urandom");
        return false;
    }
    return true;
}

// Writes a new key to a file of its own and links it in under path: the name appears whole or
// not at all, and only one of several first runs links its own. false with a message unless a
// key is at path afterwards (this one's or another's).
bool MakeKeyFile(const std::string& path, std::string& error)
{
    std::string bytes;
    if (!RandomBytes(bytes, error))
        return false;
    // Beside the key, under the store's name like everything kept with it.
    const std::string temp
        = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device {}());
    {
        const UniqueDescriptor fd(
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!fd) {
            error = Why("cannot make the log key " + temp);
            return false;
        }
        // The umask may take bits away but never adds any; the owner must read it.
        const bool written = ::fchmod(fd.get(), 0600) == 0
            && WriteExactly(fd.get(), bytes.data(), bytes.size()) && ::fsync(fd.get()) == 0;
        if (!written) {
            error = Why("cannot write the log key " + temp);
            (void)::unlink(temp.c_str());
            return false;
        }
    }
    const bool linked = ::link(temp.c_str(), path.c_str()) == 0;
    const int linkError = errno;
    (void)::unlink(temp.c_str());
    if (!linked && linkError != EEXIST) {
        errno = linkError;
        error = Why("cannot keep the log key as " + path);
        return false;
    }
    return true;
}

} // namespace

bool MachineLogKey(std::string& key, std::string& error)
{
    const char* store = std::getenv("TARNWICK_REGISTRY");
    if (!store || !*store) {
        error = "set TARNWICK_REGISTRY: the log key is kept beside the machine's registry";
        return false;
    }
    const std::string path = std::string(store) + ".logkey";
    std::string found;
    switch (ReadKeyFile(path, found, error)) {
    case Found::Key:
        key = std::move(found);
        return true;
    case Found::Refused:
        return false;
    case Found::None:
        break;
    }
    // Every first run reads back the one key that was linked in, whoever made it.
    if (!MakeKeyFile(path, error) || ReadKeyFile(path, found, error) != Found::Key) {
        if (error.empty())
            error = "the log key " + path + " went away as it was made";
        return false;
    }
    key = std::move(found);
    return true;
}
