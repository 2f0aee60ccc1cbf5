#include "platform/posix/registry/RegistryStore.h"

namespace posix {

namespace {

std::unique_ptr<RegistryStore>& ActiveSlot()
{
    static std::unique_ptr<RegistryStore> store = std::make_unique<MemoryRegistryStore>();
    return store;
}

} // namespace

RegistryStore& ActiveRegistryStore()
{
    return *ActiveSlot();
}

void SetRegistryStore(std::unique_ptr<RegistryStore> store)
{
    ActiveSlot() = store ? std::move(store) : std::make_unique<MemoryRegistryStore>();
}

MemoryRegistryStore& ResetMemoryRegistry()
{
    auto store = std::make_unique<MemoryRegistryStore>();
    MemoryRegistryStore& result = *store;
    SetRegistryStore(std::move(store));
    return result;
}

} // namespace posix
