#include "RegistryHelpers.h"

#include "platform/posix/registry/RegistryStore.h"
#include "platform/UniqueHandle.h"

namespace {

class PosixRegistry : public RegistryTest { };

TEST_F(PosixRegistry, AWriteProtectedKeyOpensOnlyForReading)
{
    SeedString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", "kept", "value");
    WriteProtectKey("SOFTWARE\\Locked");

    UniqueKey key;
    EXPECT_EQ(
        ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, KEY_WRITE, key.put()));
    EXPECT_EQ(ERROR_ACCESS_DENIED,
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Child", 0, nullptr, 0, KEY_WRITE, nullptr,
            key.put(), nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", 0, KEY_READ, key.put()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Child"));
}

TEST_F(PosixRegistry, CreatingNeedsTheRightToCreateBelowTheParent)
{
    SeedKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Parent\\Existing");
    UniqueKey parent;
    ASSERT_EQ(ERROR_SUCCESS,
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Parent", 0, KEY_QUERY_VALUE, parent.put()));
    UniqueKey child;
    EXPECT_EQ(ERROR_ACCESS_DENIED,
        RegCreateKeyExA(parent.get(), "New", 0, nullptr, 0, KEY_WRITE, nullptr, child.put(), nullptr));
    EXPECT_EQ(ERROR_SUCCESS,
        RegCreateKeyExA(parent.get(), "Existing", 0, nullptr, 0, KEY_WRITE, nullptr, child.put(), nullptr));
}

// A store that keeps its tree elsewhere sees every change as one call, and can refuse it.
class RefusingStore : public posix::RegistryStore {
public:
    LONG Read(const std::function<LONG(const posix::RegistryTree&)>& action) override
    {
        ++reads;
        return action(m_tree);
    }
    LONG Write(const std::function<LONG(posix::RegistryTree&)>&) override
    {
        ++refusedWrites;
        return ERROR_ACCESS_DENIED;
    }
    int reads = 0;
    int refusedWrites = 0;

private:
    posix::RegistryTree m_tree;
};

TEST_F(PosixRegistry, EveryCallGoesThroughTheActiveStore)
{
    auto owned = std::make_unique<RefusingStore>();
    RefusingStore& store = *owned;
    posix::SetRegistryStore(std::move(owned));

    UniqueKey software;
    ASSERT_EQ(
        ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS, software.put()));
    EXPECT_EQ(ERROR_ACCESS_DENIED,
        RegSetValueExA(software.get(), "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2));
    UniqueKey child;
    EXPECT_EQ(ERROR_ACCESS_DENIED,
        RegCreateKeyExA(software.get(), "Child", 0, nullptr, 0, KEY_WRITE, nullptr, child.put(), nullptr));
    EXPECT_EQ(2, store.refusedWrites);
    EXPECT_EQ(1, store.reads);
    EXPECT_FALSE(child);
}

TEST_F(PosixRegistry, HandlesNameTheirKeysByPath)
{
    SeedKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Moved");
    UniqueKey key;
    ASSERT_EQ(
        ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Moved", 0, KEY_ALL_ACCESS, key.put()));
    // A store replaced under an open handle (as a reloaded file would be) is found again by path.
    posix::ResetMemoryRegistry();
    EXPECT_EQ(
        ERROR_KEY_DELETED, RegSetValueExA(key.get(), "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2));
    SeedKey(HKEY_LOCAL_MACHINE, "software\\moved");
    EXPECT_EQ(
        ERROR_SUCCESS, RegSetValueExA(key.get(), "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("a"), 2));
}

} // namespace
