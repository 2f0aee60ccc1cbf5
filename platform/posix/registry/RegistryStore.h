// Where the POSIX registry lives. Every registry call reads or changes the tree through the active
// store in one step, so a durable store can lock, reload and save around each change. The default
// store is in memory and empty but for the predefined roots; tests seed it, a durable store (a .reg
// file) can replace it.
#pragma once

#include "platform/posix/registry/RegistryTree.h"

#include <functional>
#include <memory>

namespace posix {

class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    // Runs action on the current tree and returns its result.
    virtual LONG Read(const std::function<LONG(const RegistryTree&)>& action) = 0;
    // Runs change on the current tree; a store that keeps the tree elsewhere makes the change
    // durable before it returns. A store that cannot write returns ERROR_ACCESS_DENIED without
    // running change.
    virtual LONG Write(const std::function<LONG(RegistryTree&)>& change) = 0;
    // false when this user may not change the store at all (a read-only file): opening a key for
    // writing is then refused, as Windows refuses HKEY_LOCAL_MACHINE to a user who is not an
    // administrator, rather than failing only at the write.
    virtual bool MayWrite() const { return true; }
};

class MemoryRegistryStore : public RegistryStore {
public:
    LONG Read(const std::function<LONG(const RegistryTree&)>& action) override { return action(m_tree); }
    LONG Write(const std::function<LONG(RegistryTree&)>& change) override { return change(m_tree); }
    RegistryTree& Tree() { return m_tree; }

private:
    RegistryTree m_tree;
};

// The store that the registry functions use.
RegistryStore& ActiveRegistryStore();

// Replaces the active store; nullptr installs a fresh, empty in-memory store. Open key handles stay
// valid and name their keys by path in whatever store is active.
void SetRegistryStore(std::unique_ptr<RegistryStore> store);

// A fresh in-memory registry, made active; for tests that seed their own machine.
MemoryRegistryStore& ResetMemoryRegistry();

} // namespace posix
