#include "settings/JvmSettings.h"

#include "platform/MessageService.h"
#include "registry/RegistryAccess.h"
#include "registry/ServerKeys.h"

namespace {

const std::string kRuntimesKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";

} // namespace

namespace JvmSettings {

std::string ConfiguredJvmPath()
{
    return RegistryAccess().ReadPath(std::string("HKEY_LOCAL_MACHINE\\") + kJvmKey + "\\" + kJvmPathValue);
}

std::set<std::string> FindRuntimeLibs()
{
    const RegistryAccess registry;
    std::set<std::string> runtimes;
    for (const std::string& version : registry.EnumSubKeys(HKEY_LOCAL_MACHINE, kRuntimesKey)) {
        std::string library
            = registry.ReadString(HKEY_LOCAL_MACHINE, kRuntimesKey + "\\" + version, "RuntimeLib");
        if (!library.empty())
            runtimes.insert(std::move(library));
    }
    return runtimes;
}

bool SaveJvmPath(const std::string& path)
{
    return RegistryAccess().WriteString(HKEY_LOCAL_MACHINE, kJvmKey, kJvmPathValue, path);
}

void StoreJvmPath(std::string path)
{
    if (path.size() > kMaxPathLength)
        path.resize(kMaxPathLength);
    if (!path.empty() && !SaveJvmPath(path))
        AfxMessageBox(
            "You are not a System Administrator, or an Error Occurred\nJava Settings not set.", MB_OK);
}

} // namespace JvmSettings
