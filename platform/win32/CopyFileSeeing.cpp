// Windows copies with CopyFileA itself, which keeps what a copy of our own would lose (attributes,
// times, security, alternate streams); the bytes are then read back from the new copy.
#include "platform/CopiedBytes.h"

#include "platform/UniqueHandle.h"

#include <vector>

BOOL CopyFileSeeing(LPCSTR existingFile, LPCSTR newFile, BOOL failIfExists, CopiedBytes& bytes)
{
    if (!bytes.BeforeCopy()) {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
    if (!CopyFileA(existingFile, newFile, failIfExists))
        return FALSE;
    const UniqueFile copy(CreateFileA(
        newFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!copy) {
        bytes.Lost();
        return TRUE;
    }
    std::vector<unsigned char> block(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(copy.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) {
            bytes.Lost();
            return TRUE;
        }
        if (got == 0)
            return TRUE;
        bytes.Take(block.data(), got);
    }
}
