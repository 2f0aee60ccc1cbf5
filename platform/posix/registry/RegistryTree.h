// The registry as data: a tree of keys holding typed values. Names keep the case they were written
// with and are looked up without regard to case, as Windows does. The four predefined roots are
// the top-level keys, named as in a .reg file ("HKEY_LOCAL_MACHINE", ...).
#pragma once

#include "platform/win32.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace posix {

struct RegistryValue {
    std::string name;
    DWORD type = REG_SZ;
    std::string data; // raw bytes, exactly as written
};

struct RegistryKey {
    std::string name;
    std::vector<RegistryValue> values; // in order of creation
    std::vector<std::unique_ptr<RegistryKey>> subkeys; // sorted by folded name, the enumeration order
    // Set by a test or a store to stand for a key the user may not write: opening it for any write
    // access is refused.
    bool writeProtected = false;

    RegistryKey* FindSubKey(std::string_view childName) const;
    // The existing one when present; created tells which.
    RegistryKey& AddSubKey(std::string_view childName, bool* created = nullptr);
    bool RemoveSubKey(std::string_view childName);

    const RegistryValue* FindValue(std::string_view valueName) const;
    void SetValue(std::string_view valueName, DWORD type, std::string data);
    bool RemoveValue(std::string_view valueName);
};

using KeyPath = std::vector<std::string>; // root name first, then each key name

class RegistryTree {
public:
    RegistryTree();

    const RegistryKey* Find(const KeyPath& path) const;
    RegistryKey* Find(const KeyPath& path);
    // Creates every missing key along the path; created tells whether the last one is new.
    RegistryKey& Create(const KeyPath& path, bool* created = nullptr);
    bool Remove(const KeyPath& path);

    // Splits "SOFTWARE\\Allaire\\..." into names; empty names (doubled or trailing separators) are dropped.
    static std::vector<std::string> SplitKeyPath(std::string_view subKey);
    // The same names as views into subKey, in names (cleared first), for callers that split many.
    static void SplitKeyNames(std::string_view subKey, std::vector<std::string_view>& names);

    const RegistryKey& Top() const { return m_top; }

private:
    RegistryKey m_top; // holds the predefined roots as its subkeys
};

// The name of a predefined root handle ("HKEY_LOCAL_MACHINE", ...), or empty for another handle.
std::string_view PredefinedRootName(HKEY key);

} // namespace posix
