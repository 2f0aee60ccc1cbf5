// The durable registry: a .reg file (see RegFile.h) that several processes may share. Each write
// locks the store, reloads it, changes it and replaces it atomically (temp file, fsync, rename,
// fsync of the folder), so a concurrent writer never loses another's update and a crash leaves
// either the old file or the new one. A file that cannot be parsed is never treated as empty and
// never overwritten.
#pragma once

#include "platform/posix/RegistryStore.h"

#include <sys/stat.h>

#include <memory>
#include <string>

namespace posix {

class FileRegistryStore : public RegistryStore {
public:
    // Loads the store at path; a missing file is an empty registry, created at the first write.
    // nullptr with a message for a file that cannot be read or parsed.
    static std::unique_ptr<FileRegistryStore> Open(const std::string& path, std::string& error);

    // Reload first when another process has replaced the file. A file that has become unparsable
    // gives ERROR_REGISTRY_CORRUPT, one that cannot be read ERROR_ACCESS_DENIED; LastError() says why.
    LONG Read(const std::function<LONG(const RegistryTree&)>& action) override;
    LONG Write(const std::function<LONG(RegistryTree&)>& change) override;

    const std::string& Path() const { return m_path; }
    const std::string& LastError() const { return m_lastError; }

private:
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified {};
        timespec changed {};
        bool operator==(const Stamp& other) const;
    };

    explicit FileRegistryStore(std::string path);
    // Loads the file into m_tree unless force is false and the file is the one last loaded.
    LONG Load(bool force);
    LONG Save(const RegistryTree& tree);

    std::string m_path;
    RegistryTree m_tree;
    Stamp m_stamp;
    bool m_loaded = false;
    std::string m_lastError;
};

// Loads the store at path and makes it the active registry; false with a message when the file
// cannot be read or parsed (the active registry is then left as it was).
bool UseRegistryFile(const std::string& path, std::string& error);

} // namespace posix
