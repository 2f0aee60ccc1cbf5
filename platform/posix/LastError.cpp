#include "platform/win32.h"

namespace {
thread_local DWORD t_lastError = 0;
}

DWORD WINAPI GetLastError()
{
    return t_lastError;
}

void WINAPI SetLastError(DWORD error)
{
    t_lastError = error;
}
