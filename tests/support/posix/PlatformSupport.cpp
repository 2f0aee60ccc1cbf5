#include "../DeviceNames.h"
#include "../LogKeyHelpers.h"
#include "../RegistryHelpers.h"
#include "../StandardHandleHelpers.h"
#include "../TempFolder.h"

#include "platform/posix/files/DriveMap.h"
#include "platform/posix/registry/RegistryStore.h"

#include <cstdlib>
#include <optional>
#include <unistd.h>

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

void DropStandardHandles(bool input, bool output, bool error)
{
    const bool drop[] = { input, output, error };
    for (int fd = 0; fd <= 2; ++fd)
        if (drop[fd])
            (void)::close(fd);
}

const char* NullDeviceName()
{
    return "/dev/null";
}

struct FreshLogKeyScope::State {
    TempFolder folder;
    std::optional<std::string> previous;
};

FreshLogKeyScope::FreshLogKeyScope()
    : m_state(std::make_unique<State>())
{
    if (const char* store = std::getenv("TARNWICK_REGISTRY"))
        m_state->previous = store;
    (void)::setenv("TARNWICK_REGISTRY", m_state->folder.Host("registry.reg").c_str(), 1);
}

FreshLogKeyScope::~FreshLogKeyScope()
{
    if (m_state->previous)
        (void)::setenv("TARNWICK_REGISTRY", m_state->previous->c_str(), 1);
    else
        (void)::unsetenv("TARNWICK_REGISTRY");
}
