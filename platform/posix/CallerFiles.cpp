#include "platform/CallerFiles.h"

#include "platform/CallerFileSides.h"
#include "platform/posix/Descriptor.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string CurrentHostDirectory()
{
    std::vector<char> buffer(512);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

} // namespace

// The registry store of the simulated machine, a file a run replaces whole, and what is kept
// beside it under its name (its lock files, its temp file, the log key): a log written over any
// of them would wreck the machine it records. Links and ".." are seen through; a hard link to the
// store itself is the store.
bool IsMachineFile(const std::string& full, std::string& why)
{
    const char* store = std::getenv("TARNWICK_REGISTRY");
    if (!store || !*store)
        return false;
    std::error_code logError;
    std::error_code storeError;
    const fs::path log = fs::weakly_canonical(full, logError);
    const fs::path kept = fs::weakly_canonical(store, storeError);
    if (logError || storeError) {
        why = "cannot tell whether it is the registry store " + std::string(store);
        return true;
    }
    const std::string name = log.filename().string();
    const std::string storeName = kept.filename().string();
    std::error_code ignored;
    const bool beside = log.parent_path() == kept.parent_path()
        && (name == storeName || name.rfind(storeName + ".", 0) == 0);
    if (!beside && !fs::equivalent(log, kept, ignored))
        return false;
    why = "is the registry store of this machine (TARNWICK_REGISTRY) or a file kept beside it";
    return true;
}

std::string FullFileName(const std::string& name)
{
    if (name.empty() || name.find('\0') != std::string::npos)
        return {};
    if (name[0] == '/')
        return name;
    const std::string current = CurrentHostDirectory();
    if (current.empty())
        return {};
    return current.back() == '/' ? current + name : current + "/" + name;
}

FileKind KindOfFile(const std::string& name)
{
    struct stat st;
    if (::stat(name.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileKind::Missing : FileKind::Unknown;
    if (S_ISREG(st.st_mode))
        return FileKind::Regular;
    return S_ISDIR(st.st_mode) ? FileKind::Folder : FileKind::Other;
}

std::FILE* OpenRegularFile(const std::string& name)
{
    // O_NONBLOCK: a pipe without a writer would hold the open, a device may wait for its line.
    posix::UniqueDescriptor fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd)
        return nullptr;
    struct stat st;
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || flags == -1
        || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd.get(), "rb");
    if (file)
        (void)fd.release(); // the stream closes it now
    return file;
}

std::string_view OtherFileKinds()
{
    return "a device, a pipe or a socket";
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first { };
    struct stat second { };
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}
