// The one place that touches the registry. Stateless: every operation opens the keys it needs and
// closes them before it returns; the writes go through the machine's change service, which a front
// end may watch or hold back. Nothing here shows a message or throws; reads that find nothing
// give an empty text or list, writes say through their result whether the key could be opened.
#pragma once

#include "platform/win32.h"
#include "registry/StringList.h"

#include <string>

class RegistryAccess {
public:
    // The value's data as text, whatever its type, read whole at any length and cut at its first
    // zero byte. Empty when the key or value is missing or access is refused; callers cannot tell
    // an absent value from an empty one.
    std::string ReadString(HKEY root, const std::string& keyPath, const std::string& valueName) const;

    // Reads "ROOT\key\path\value". Only the exact root name "HKEY_LOCAL_MACHINE" selects the
    // machine root; every other root name reads from HKEY_CURRENT_USER. With one backslash the
    // text after it is both key path and value name; with none the whole text is all three.
    std::string ReadPath(const std::string& reference) const;

    // Sets a REG_SZ value in an existing key (never creates the key). true when the key could be
    // opened for writing; whether the value write itself succeeded is not examined.
    bool WriteString(
        HKEY root, const std::string& keyPath, const std::string& valueName, std::string data) const;

    // Creates childName under parentPath, or opens it unchanged when it exists. true when the
    // parent could be opened for writing; the creation's own outcome is not examined.
    bool CreateSubKey(HKEY root, const std::string& parentPath, const std::string& childName) const;

    // Names of the key's direct subkeys in the registry's order; empty when the key cannot be opened.
    StringList EnumSubKeys(HKEY root, const std::string& keyPath) const;
};
