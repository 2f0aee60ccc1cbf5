#include "platform/posix/files/DriveMap.h"
#include "platform/win32.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

DWORD WINAPI GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size)
{
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const std::string host(buffer.data(), static_cast<std::size_t>(length));
    std::string name = posix::WindowsPathOfHost(host);
    if (name.empty()) // no drive holds the program: its name alone still gives the title
        name = host.substr(host.find_last_of('/') + 1);
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Too small a buffer gets the name cut to its size, without a terminator, as on Windows XP and later.
    if (name.size() >= size) {
        std::memcpy(fileName, name.data(), size);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, name.c_str(), name.size() + 1);
    return static_cast<DWORD>(name.size());
}
