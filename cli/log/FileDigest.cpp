#include "cli/log/FileDigest.h"

#include "cli/log/Sha256.h"
#include "platform/UniqueHandle.h"
#include "platform/win32.h"

#include <vector>

std::string Sha256OfFile(const std::string& path)
{
    const UniqueFile file(CreateFileA(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return {};
    // Read in 64 KiB blocks, kept on the heap rather than the caller's stack.
    std::vector<unsigned char> block(64 * 1024);
    Sha256 hash;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr))
            return {};
        if (got == 0)
            return hash.HexDigest();
        hash.Update(block.data(), got);
    }
}
