#include "engine/CustomTags.h"

#include "registry/RegistryAccess.h"

#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kCustomTagsKey = "SOFTWARE\\Allaire\\ColdFusion\\CurrentVersion\\CustomTags";

using ValueTable = std::vector<std::pair<std::string, std::string>>;

void RegisterTag(const ConfigOption& option, const ValueTable& values)
{
    const std::string tagName = option.getTagName();
    if (tagName.empty())
        return;
    RegistryAccess registry;
    (void)registry.CreateSubKey(HKEY_LOCAL_MACHINE, kCustomTagsKey, tagName);
    const std::string tagKey = kCustomTagsKey + "\\" + tagName;
    for (const auto& [name, data] : values)
        (void)registry.WriteString(HKEY_LOCAL_MACHINE, tagKey, name, data);
}

} // namespace

void RegisterJavaTag(const ConfigOption& option)
{
    RegisterTag(option,
        {
            { "Type", "Java" },
            { "JavaClass", option.getClassName() },
            { "Description", option.getDescription() },
        });
}

void RegisterCppTag(const ConfigOption& option)
{
    RegisterTag(option,
        {
            { "Type", "CPP" },
            { "LibraryPath", option.getClassName() },
            { "Description", option.getDescription() },
            { "CacheLibrary", "1" },
            { "ProcedureName", "ProcessTagRequest" },
        });
}
