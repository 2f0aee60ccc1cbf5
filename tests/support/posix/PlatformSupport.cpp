#include "../RegistryHelpers.h"
#include "../TempFolder.h"

#include "platform/posix/DriveMap.h"
#include "platform/posix/RegistryStore.h"

std::string ProductPathOf(const std::filesystem::path& host)
{
    return posix::WindowsPathOfHost(std::filesystem::absolute(host).lexically_normal().string());
}

void ResetTestRegistry()
{
    posix::ResetMemoryRegistry();
}
