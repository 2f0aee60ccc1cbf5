#include "platform/MachineSetup.h"

#include "platform/win32.h"

bool OpenMachine(std::string&)
{
    return true;
}

bool EnterFolder(const std::string& folder, std::string& error)
{
    if (SetCurrentDirectoryA(folder.c_str()))
        return true;
    error = "cannot open the folder " + folder + " (error " + std::to_string(GetLastError()) + ")";
    return false;
}

bool StandardErrorIsTerminal()
{
    return GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR;
}
