#include "platform/CallerFiles.h"

#include "platform/CallerFileSides.h"

bool MayWriteLogFile(const std::string& name, std::string& why)
{
    switch (KindOfFile(name)) {
    case FileKind::Folder:
        why = "is a folder";
        return false;
    case FileKind::Other:
        why = "is not a regular file (" + std::string(OtherFileKinds()) + ")";
        return false;
    default:
        break;
    }
    return !IsMachineFile(name, why);
}
