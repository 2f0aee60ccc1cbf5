// The durable registry: a .reg file (see RegFile.h) that several processes may share. Each write
// locks the store, reloads it unless it is the file this store last wrote or read, changes it and
// replaces it atomically (temp file, fsync, rename, fsync of the folder), so a concurrent writer
// never loses another's update and a crash leaves either the old file or the new one. A file that
// cannot be parsed is never treated as empty and never overwritten.
//
// Whether the file is still the one last loaded or saved takes two proofs, as a stat stamp alone
// cannot give one (an inode can be reused, and a timestamp is as coarse as the kernel's clock):
// - the stamp (device, inode, size, modification and change times) is unchanged, which catches a
//   hand edit or any other program writing the file, and
// - the token in the lock file is unchanged. Every writer here puts a new token there under the
//   lock before it renames its file into place, so no write by this code can go unseen. The token
//   is a counter, so that it differs from the one before it, and a random number, so that it also
//   differs from any that a lock file deleted and made again once held.
#pragma once

#include "platform/posix/registry/RegistryStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace posix {

// The two calls a save's durability rests on, in the order they must come: the temp file's fsync
// before the rename, then the folder's fsync. Tests replace them to see that order and to refuse
// the rename; by default they are the system's.
struct StoreFileCalls {
    std::function<int(int fd)> fsync = [](int fd) { return ::fsync(fd); };
    std::function<int(const char* from, const char* to)> rename
        = [](const char* from, const char* to) { return ::rename(from, to); };
};

class FileRegistryStore : public RegistryStore {
public:
    // Loads the store at path; a missing file is an empty registry, created at the first write.
    // nullptr with a message for a file that cannot be read or parsed.
    static std::unique_ptr<FileRegistryStore> Open(const std::string& path, std::string& error);

    // Reload first when another process has replaced the file. A file that has become unparsable
    // gives ERROR_REGISTRY_CORRUPT, one that cannot be read ERROR_ACCESS_DENIED; LastError() says why.
    LONG Read(const std::function<LONG(const RegistryTree&)>& action) override;
    LONG Write(const std::function<LONG(RegistryTree&)>& change) override;
    bool MayWrite() const override;

    const std::string& Path() const { return m_path; }
    void SetFileCalls(StoreFileCalls calls) { m_calls = std::move(calls); }
    const std::string& LastError() const { return m_lastError; }

private:
    // Where a write goes before it is renamed over the store.
    std::string TempPath() const { return m_path + ".tmp"; }
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified {};
        timespec changed {};
        bool operator==(const Stamp& other) const;
    };

    // What the lock file holds; all zeros for none (an empty lock file), on which a write always
    // reloads.
    struct Token {
        std::uint64_t counter = 0;
        std::uint64_t random = 0;
        bool operator==(const Token&) const = default;
        bool Known() const { return random != 0; }
    };

    explicit FileRegistryStore(std::string path);
    // Loads the file into m_tree unless force is false and the file has the stamp of the one last
    // loaded or saved; token is what the lock file holds, to be kept with a tree loaded.
    LONG Load(bool force, const Token& token);
    // Saves tree under the lock held on lockFd, putting next in the lock file before the rename;
    // marks m_tree loaded only when it knows the stamp of the file it wrote.
    LONG Save(const RegistryTree& tree, int lockFd, const Token& next);
    static Token ReadToken(int lockFd); // none when the lock file cannot be read or is empty
    static bool WriteToken(int lockFd, const Token& token);

    std::string m_path;
    RegistryTree m_tree;
    Stamp m_stamp;
    Token m_token; // in the lock file when m_tree was loaded or saved
    bool m_loaded = false;
    std::string m_text; // the file's text as last read or written, kept for its capacity
    std::string m_lastError;
    StoreFileCalls m_calls;
};

// Loads the store at path and makes it the active registry; false with a message when the file
// cannot be read or parsed (the active registry is then left as it was).
bool UseRegistryFile(const std::string& path, std::string& error);

} // namespace posix
