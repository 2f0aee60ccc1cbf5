// Arbitrary bytes as a registry reference: the root name, key path and value name are cut out of
// it by position, and every way of cutting must read in bounds. A seeded machine lets the fuzzer
// find references that really resolve.
#include "platform/posix/registry/RegistryStore.h"
#include "registry/RegistryAccess.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Seed()
{
    posix::MemoryRegistryStore& store = posix::ResetMemoryRegistry();
    posix::RegistryTree& tree = store.Tree();
    tree.Create({ "HKEY_LOCAL_MACHINE", "SOFTWARE", "Allaire", "ColdFusion", "CurrentVersion", "JVM" })
        .SetValue("JVMPath", REG_SZ, std::string("C:\\jre\\bin\\classic\\jvm.dll\0", 28));
    tree.Create({ "HKEY_LOCAL_MACHINE", "Name" }).SetValue("Name", REG_SZ, std::string("same\0", 5));
    tree.Create({ "HKEY_CURRENT_USER", "Software", "Long" })
        .SetValue("Value", REG_SZ, std::string(3000, 'x'));
    tree.Create({ "HKEY_CURRENT_USER", "Software", "Raw" }).SetValue("Value", REG_BINARY, "unterminated");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool seeded = (Seed(), true);
    (void)seeded;
    const std::string reference(reinterpret_cast<const char*>(data), size);
    const std::string value = RegistryAccess().ReadPath(reference);
    // A read never yields more than the longest value seeded, nor a zero byte.
    if (value.size() > 3000 || value.find('\0') != std::string::npos)
        std::abort();
    return 0;
}
