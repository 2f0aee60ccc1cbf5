#include "../RegistryHelpers.h"
#include "../TempFolder.h"

#include "platform/posix/files/DriveMap.h"
#include "platform/posix/registry/RegistryStore.h"

std::string ProductPathOf(const std::filesystem::path& host)
{
    return posix::WindowsPathOfHost(std::filesystem::absolute(host).lexically_normal().string());
}

void ResetTestRegistry()
{
    posix::ResetMemoryRegistry();
}

void WriteProtectKey(const std::string& path)
{
    posix::KeyPath keyPath { "HKEY_LOCAL_MACHINE" };
    for (std::string& name : posix::RegistryTree::SplitKeyPath(path))
        keyPath.push_back(std::move(name));
    ASSERT_EQ(ERROR_SUCCESS, posix::ActiveRegistryStore().Write([&](posix::RegistryTree& tree) -> LONG {
        posix::RegistryKey* key = tree.Find(keyPath);
        if (!key)
            return ERROR_FILE_NOT_FOUND;
        key->writeProtected = true;
        return ERROR_SUCCESS;
    })) << path;
}
