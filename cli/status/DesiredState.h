// What an install would leave on this machine, taken from the install's own run over a plan: every
// folder it creates, file it copies, key it creates and value it writes, each once, as the last
// change to it leaves it. A run that writes the same thing again (an install over an earlier one)
// wants the same state, so what the plan finds already there does not matter here.
#pragma once

#include "platform/ForwardingChanges.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct DesiredItem {
    enum class Kind { Folder, File, Key, Value };
    Kind kind = Kind::Folder;
    std::string path; // folder and file: where; key and value: the key's full name
    HKEY root = nullptr; // key and value
    std::string keyPath; // key and value: below root
    std::string name; // value
    std::string data; // value: the data written; file: the source it is copied from
    // The value is a list of ';'-separated entries that other packages append to as well: it must
    // hold the entries in data, not be data.
    bool entries = false;
};

class DesiredState : public ForwardingChanges {
public:
    // plan carries the changes out as far as a plan does, so that later steps find earlier ones.
    explicit DesiredState(MachineChanges& plan);

    // Each change is taken as wanted whatever the plan answers: the engine goes on past a refused
    // registry write, and a user who may not write the machine can still ask what it holds.
    BOOL CreateFolder(const std::string& path) override;
    BOOL CopyFileTo(const std::string& from, const std::string& to, ULONGLONG size) override;
    BOOL CopyFileSeeing(const std::string& from, const std::string& to, CopiedBytes& bytes) override;
    RegistryChange WriteString(
        HKEY root, const std::string& keyPath, const std::string& name, const std::string& data) override;
    RegistryChange CreateSubKey(
        HKEY root, const std::string& parentPath, const std::string& childName) override;

    // In the order each was first wanted.
    const std::vector<DesiredItem>& Items() const { return m_items; }

private:
    // The item of that kind and name: the one recorded before, or a new one.
    DesiredItem& Item(DesiredItem::Kind kind, const std::string& id);
    void AddFile(const std::string& from, const std::string& to);

    std::vector<DesiredItem> m_items;
    std::unordered_map<std::string, std::size_t> m_index; // by kind and folded name
};

// The full name of root\keyPath, as the log writes keys: "HKEY_LOCAL_MACHINE\SOFTWARE\...".
std::string FullKeyName(HKEY root, const std::string& keyPath);

// The ';'-separated entries of a class path, empty ones left out.
std::vector<std::string> PathEntries(const std::string& list);

// Whether list holds every entry of wanted.
bool HoldsEntries(const std::string& list, const std::string& wanted);
