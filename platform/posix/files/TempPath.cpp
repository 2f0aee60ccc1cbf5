#include "platform/posix/files/DriveMap.h"
#include "platform/win32.h"

#include <cstdlib>
#include <cstring>
#include <string>

DWORD WINAPI GetTempPathA(DWORD bufferLength, LPSTR buffer)
{
    const char* host = std::getenv("TMPDIR");
    std::string folder = posix::WindowsPathOfHost(host && host[0] == '/' ? host : "/tmp");
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (folder.back() != '\\')
        folder += '\\';
    // As Win32: too small a buffer receives nothing, and the result is the size needed.
    if (!buffer || bufferLength <= folder.size())
        return static_cast<DWORD>(folder.size() + 1);
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<DWORD>(folder.size());
}
