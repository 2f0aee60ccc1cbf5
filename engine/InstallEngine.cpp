#include "engine/InstallEngine.h"

#include "engine/CustomTags.h"
#include "engine/DataSources.h"
#include "engine/FileDeployment.h"

bool InstallEngine::ApplyOption(const ConfigOption& option, const DirectoryTexts& directories) const
{
    const std::string type = option.getType();
    if (type == "Copy")
        return DeployFiles(option, directories);
    if (type == "JavaCFX")
        RegisterJavaTag(option);
    else if (type == "C++CFX")
        RegisterCppTag(option);
    else if (type == "ODBC")
        RegisterDataSource(option);
    return true;
}
