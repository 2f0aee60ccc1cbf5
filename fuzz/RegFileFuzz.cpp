// Arbitrary bytes as a .reg file: the reader must refuse or accept without crashing, and whatever
// it accepts must write out and read back as the same tree.
#include "platform/posix/registry/RegFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool SameKeys(const posix::RegistryKey& a, const posix::RegistryKey& b)
{
    if (a.name != b.name || a.values.size() != b.values.size() || a.subkeys.size() != b.subkeys.size())
        return false;
    for (std::size_t i = 0; i < a.values.size(); ++i)
        if (a.values[i].name != b.values[i].name || a.values[i].type != b.values[i].type
            || a.values[i].data != b.values[i].data)
            return false;
    for (std::size_t i = 0; i < a.subkeys.size(); ++i)
        if (!SameKeys(*a.subkeys[i], *b.subkeys[i]))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    posix::RegistryTree tree;
    std::string error;
    if (!posix::ParseRegFile(text, tree, error))
        return 0;
    std::string written;
    if (!posix::WriteRegFile(tree, written, error))
        return 0; // a name the format cannot hold
    posix::RegistryTree again;
    if (!posix::ParseRegFile(written, again, error) || !SameKeys(tree.Top(), again.Top()))
        std::abort();
    return 0;
}
