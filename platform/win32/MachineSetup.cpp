#include "platform/MachineSetup.h"

#include "platform/win32.h"

#include <string>

bool OpenMachine(std::string&)
{
    return true;
}

namespace {

// A folder too deep for a current directory (258 characters) by its long names may still be
// entered by its short (8.3) names, which only the wide functions give for such a path.
std::string ShortPathOf(const std::string& folder)
{
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, nullptr, 0);
    if (wideLength <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    (void)MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide.data(), wideLength);
    wide.resize(static_cast<std::size_t>(wideLength - 1));
    if (wide.rfind(L"\\\\", 0) == 0)
        return {}; // a share or an already prefixed path: left as it is
    const std::wstring prefixed = L"\\\\?\\" + wide;
    const DWORD shortLength = GetShortPathNameW(prefixed.c_str(), nullptr, 0);
    if (shortLength == 0)
        return {};
    std::wstring shortPath(shortLength, L'\0');
    const DWORD written = GetShortPathNameW(prefixed.c_str(), shortPath.data(), shortLength);
    if (written == 0 || written >= shortLength)
        return {};
    shortPath.resize(written);
    shortPath.erase(0, 4); // the \\?\ prefix
    const int length = WideCharToMultiByte(CP_ACP, 0, shortPath.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string result(static_cast<std::size_t>(length), '\0');
    (void)WideCharToMultiByte(CP_ACP, 0, shortPath.c_str(), -1, result.data(), length, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(length - 1));
    return result;
}

} // namespace

bool EnterFolder(const std::string& folder, std::string& error)
{
    if (SetCurrentDirectoryA(folder.c_str()))
        return true;
    DWORD code = GetLastError();
    const std::string shortPath = ShortPathOf(folder);
    if (!shortPath.empty() && shortPath != folder) {
        if (SetCurrentDirectoryA(shortPath.c_str()))
            return true;
        code = GetLastError();
    }
    error = "cannot open the folder " + folder + " (error " + std::to_string(code) + ")";
    return false;
}

bool StandardErrorIsTerminal()
{
    return GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR;
}
