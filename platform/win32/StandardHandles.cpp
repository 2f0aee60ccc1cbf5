#include "platform/StandardHandles.h"

#include "platform/win32.h"

#include <cstdio>
#include <io.h>

namespace {

// NULL for a program started with no console and no handles given; INVALID_HANDLE_VALUE, or a
// value that names no handle of this process, when the parent passed what it did not have.
bool IsMissing(HANDLE handle)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return true;
    SetLastError(NO_ERROR);
    return GetFileType(handle) == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR;
}

} // namespace

bool SettleStandardHandles(MissingStandardHandles& missing)
{
    missing = {};
    const struct {
        DWORD which;
        std::FILE* stream;
        const char* mode;
        bool* flag;
    } handles[] = { { STD_INPUT_HANDLE, stdin, "r", &missing.input },
        { STD_OUTPUT_HANDLE, stdout, "w", &missing.output },
        { STD_ERROR_HANDLE, stderr, "w", &missing.error } };
    for (const auto& handle : handles) {
        if (!IsMissing(GetStdHandle(handle.which)))
            continue;
        *handle.flag = true;
        // The C runtime's stream then owns the null device, and the system's slot names the same
        // handle, for the processes the program starts and for the console checks.
        if (!std::freopen("NUL", handle.mode, handle.stream))
            return false;
        const intptr_t opened = _get_osfhandle(_fileno(handle.stream));
        if (opened == -1 || !SetStdHandle(handle.which, reinterpret_cast<HANDLE>(opened)))
            return false;
    }
    return true;
}
