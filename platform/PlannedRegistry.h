// The registry as a plan would leave it: the keys and values the plan has made, written, or
// deleted, over the machine's registry, which the plan never changes. Each change is refused as
// the machine would refuse it, as far as that can be known without making it.
#pragma once

#include "platform/MachineChanges.h"

#include <map>
#include <optional>
#include <string>

class PlannedRegistry {
public:
    RegistryChange WriteString(
        HKEY root, const std::string& keyPath, const std::string& name, const std::string& data);
    RegistryChange CreateSubKey(HKEY root, const std::string& parentPath, const std::string& childName);
    RegistryChange DeleteValue(HKEY root, const std::string& keyPath, const std::string& name);
    RegistryChange DeleteKey(HKEY root, const std::string& keyPath);
    std::optional<std::string> StoredText(HKEY root, const std::string& keyPath, const std::string& name);
    bool ListKey(HKEY root, const std::string& keyPath, KeyNames& names);

private:
    // A key the plan made (present) or deleted: the machine's answers for it no longer count.
    struct Key {
        bool present = false;
        std::string name; // the last part of its path, as written
    };
    // A value the plan wrote, or deleted (no data).
    struct Value {
        std::optional<std::string> data;
        std::string name; // as written
    };

    bool KeyExists(HKEY root, const std::string& keyPath);
    // What opening the key for writing would answer.
    LONG CanWriteKey(HKEY root, const std::string& keyPath);
    const Key* FindKey(HKEY root, const std::string& keyPath) const;
    void AddPlannedNames(HKEY root, const std::string& keyPath, KeyNames& names) const;

    MachineChanges m_machine; // the platform's own, for reads
    std::map<std::string, Key> m_keys; // by KeyId
    std::map<std::string, Value> m_values; // by KeyId + '\n' + folded name
};
