// The registry functions over the active store. An open key is a path plus the access it was
// opened with; every call finds the key again by path, so a durable store may reload its tree
// between calls and a key deleted meanwhile reports ERROR_KEY_DELETED, as on Windows.
#include "platform/posix/registry/RegistryStore.h"

#include <cstring>
#include <mutex>
#include <unordered_set>

namespace {

using posix::ActiveRegistryStore;
using posix::KeyPath;
using posix::RegistryKey;
using posix::RegistryTree;

struct OpenKey {
    KeyPath path;
    REGSAM access = 0;
};

constexpr REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK;

std::mutex g_handlesMutex;
std::unordered_set<OpenKey*>& Handles()
{
    static std::unordered_set<OpenKey*> handles;
    return handles;
}

// The path and access behind a handle; false for a handle that is not open.
bool Lookup(HKEY key, OpenKey& out)
{
    const std::string_view root = posix::PredefinedRootName(key);
    if (!root.empty()) {
        out.path = { std::string(root) };
        out.access = KEY_ALL_ACCESS;
        return true;
    }
    std::lock_guard lock(g_handlesMutex);
    auto* open = reinterpret_cast<OpenKey*>(key);
    if (!Handles().count(open))
        return false;
    out = *open;
    return true;
}

HKEY NewHandle(KeyPath path, REGSAM access)
{
    auto* open = new OpenKey { std::move(path), access };
    std::lock_guard lock(g_handlesMutex);
    Handles().insert(open);
    return reinterpret_cast<HKEY>(open);
}

KeyPath Join(const KeyPath& base, LPCSTR subKey)
{
    KeyPath path = base;
    if (subKey)
        for (std::string& name : RegistryTree::SplitKeyPath(subKey))
            path.push_back(std::move(name));
    return path;
}

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Copies name into a caller's buffer of *size characters, terminator included. Windows leaves
// *size alone when the name does not fit.
LONG CopyName(const std::string& name, LPSTR buffer, LPDWORD size)
{
    if (!buffer || !size)
        return ERROR_INVALID_PARAMETER;
    if (name.size() >= *size)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Copies value data for the query functions, with Windows' rules: too small a buffer reports
// ERROR_MORE_DATA with the size needed and receives nothing; a string that was stored without its
// terminator gets one when the buffer has room for it.
LONG CopyData(const posix::RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    if (data && !dataSize)
        return ERROR_INVALID_PARAMETER;
    if (type)
        *type = value.type;
    const auto size = static_cast<DWORD>(value.data.size());
    LONG result = ERROR_SUCCESS;
    if (data) {
        if (size > *dataSize) {
            result = ERROR_MORE_DATA;
        } else {
            std::memcpy(data, value.data.data(), size);
            if (IsStringType(value.type) && size > 0 && size < *dataSize && data[size - 1] != 0)
                data[size] = 0;
        }
    }
    if (dataSize)
        *dataSize = size;
    return result;
}

// The key behind an open handle, when the handle has the required access.
LONG OpenWithAccess(HKEY key, REGSAM required, OpenKey& open)
{
    if (!Lookup(key, open))
        return ERROR_INVALID_HANDLE;
    return open.access & required ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Runs action on the key behind an open handle that has the required access; a key deleted under
// the handle reports ERROR_KEY_DELETED.
template<class Action> LONG ReadKey(HKEY key, REGSAM required, Action action)
{
    OpenKey open;
    if (const LONG result = OpenWithAccess(key, required, open); result != ERROR_SUCCESS)
        return result;
    return ActiveRegistryStore().Read([&](const RegistryTree& tree) -> LONG {
        const RegistryKey* found = tree.Find(open.path);
        return found ? action(*found) : ERROR_KEY_DELETED;
    });
}

// The same for a change of the key.
template<class Change> LONG ChangeKey(HKEY key, REGSAM required, Change change)
{
    OpenKey open;
    if (const LONG result = OpenWithAccess(key, required, open); result != ERROR_SUCCESS)
        return result;
    return ActiveRegistryStore().Write([&](RegistryTree& tree) -> LONG {
        RegistryKey* found = tree.Find(open.path);
        return found ? change(*found) : ERROR_KEY_DELETED;
    });
}

} // namespace

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey base;
    if (!Lookup(key, base))
        return ERROR_INVALID_HANDLE;
    KeyPath path = Join(base.path, subKey);
    posix::RegistryStore& store = ActiveRegistryStore();
    const LONG status = store.Read([&](const RegistryTree& tree) -> LONG {
        const RegistryKey* found = tree.Find(path);
        if (!found)
            return ERROR_FILE_NOT_FOUND;
        if ((access & kWriteAccess) && (found->writeProtected || !store.MayWrite()))
            return ERROR_ACCESS_DENIED;
        return ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS)
        *result = NewHandle(std::move(path), access);
    return status;
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access,
    LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey base;
    if (!Lookup(key, base))
        return ERROR_INVALID_HANDLE;
    KeyPath path = Join(base.path, subKey);
    const KeyPath basePath = base.path;
    DWORD outcome = REG_OPENED_EXISTING_KEY;
    const LONG status = ActiveRegistryStore().Write([&](RegistryTree& tree) -> LONG {
        if (const RegistryKey* existing = tree.Find(path)) {
            if ((access & kWriteAccess) && existing->writeProtected)
                return ERROR_ACCESS_DENIED;
            outcome = REG_OPENED_EXISTING_KEY;
            return ERROR_SUCCESS;
        }
        // A new key needs the right to create below the deepest existing key on its path.
        KeyPath deepest = path;
        while (!tree.Find(deepest))
            deepest.pop_back();
        const RegistryKey* parent = tree.Find(deepest);
        if (!parent || (deepest.size() == basePath.size() && !(base.access & KEY_CREATE_SUB_KEY)))
            return parent ? ERROR_ACCESS_DENIED : ERROR_KEY_DELETED;
        if (parent->writeProtected)
            return ERROR_ACCESS_DENIED;
        tree.Create(path);
        outcome = REG_CREATED_NEW_KEY;
        return ERROR_SUCCESS;
    });
    if (status == ERROR_SUCCESS) {
        *result = NewHandle(std::move(path), access);
        if (disposition)
            *disposition = outcome;
    }
    return status;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    return ReadKey(key, KEY_QUERY_VALUE, [&](const RegistryKey& found) -> LONG {
        const posix::RegistryValue* value = found.FindValue(valueName ? valueName : "");
        return value ? CopyData(*value, type, data, dataSize) : ERROR_FILE_NOT_FOUND;
    });
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize)
{
    if (!data && dataSize)
        return ERROR_INVALID_PARAMETER;
    std::string bytes(reinterpret_cast<const char*>(data), data ? dataSize : 0);
    // A string written without its terminator is stored with one, as Wine does.
    if (IsStringType(type) && !bytes.empty() && bytes.back() != '\0')
        bytes.push_back('\0');
    return ChangeKey(key, KEY_SET_VALUE, [&](RegistryKey& found) -> LONG {
        found.SetValue(valueName ? valueName : "", type, std::move(bytes));
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR keyClass,
    LPDWORD classSize, PFILETIME lastWriteTime)
{
    return ReadKey(key, KEY_ENUMERATE_SUB_KEYS, [&](const RegistryKey& found) -> LONG {
        if (index >= found.subkeys.size())
            return ERROR_NO_MORE_ITEMS;
        const LONG status = CopyName(found.subkeys[index]->name, name, nameSize);
        if (status != ERROR_SUCCESS)
            return status;
        if (keyClass && classSize) {
            if (*classSize < 1)
                return ERROR_MORE_DATA;
            keyClass[0] = '\0';
            *classSize = 0;
        }
        if (lastWriteTime)
            *lastWriteTime = FILETIME { 0, 0 };
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegEnumValueA(
    HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    return ReadKey(key, KEY_QUERY_VALUE, [&](const RegistryKey& found) -> LONG {
        if (index >= found.values.size())
            return ERROR_NO_MORE_ITEMS;
        const posix::RegistryValue& value = found.values[index];
        const LONG status = CopyName(value.name, name, nameSize);
        return status != ERROR_SUCCESS ? status : CopyData(value, type, data, dataSize);
    });
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    return ChangeKey(key, KEY_SET_VALUE, [&](RegistryKey& found) -> LONG {
        return found.RemoveValue(valueName ? valueName : "") ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

// As on Windows: the key goes with its values, but not while it has subkeys.
LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey)
{
    OpenKey open;
    if (!Lookup(key, open))
        return ERROR_INVALID_HANDLE;
    const KeyPath path = Join(open.path, subKey);
    if (path.size() < 2)
        return ERROR_ACCESS_DENIED; // a root
    return ActiveRegistryStore().Write([&](RegistryTree& tree) -> LONG {
        RegistryKey* found = tree.Find(path);
        if (!found)
            return ERROR_FILE_NOT_FOUND;
        if (found->writeProtected || !found->subkeys.empty())
            return ERROR_ACCESS_DENIED;
        return tree.Remove(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG WINAPI RegDeleteTreeA(HKEY key, LPCSTR subKey)
{
    OpenKey open;
    if (!Lookup(key, open))
        return ERROR_INVALID_HANDLE;
    const KeyPath path = Join(open.path, subKey);
    const bool whole = path.size() > open.path.size();
    return ActiveRegistryStore().Write([&](RegistryTree& tree) -> LONG {
        RegistryKey* found = tree.Find(path);
        if (!found)
            return whole ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
        if (found->writeProtected)
            return ERROR_ACCESS_DENIED;
        if (whole && path.size() >= 2)
            return tree.Remove(path) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        // Without a subkey name the key itself stays and loses its content.
        found->subkeys.clear();
        found->values.clear();
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegCloseKey(HKEY key)
{
    if (!posix::PredefinedRootName(key).empty())
        return ERROR_SUCCESS;
    auto* open = reinterpret_cast<OpenKey*>(key);
    {
        std::lock_guard lock(g_handlesMutex);
        if (!Handles().erase(open))
            return ERROR_INVALID_HANDLE;
    }
    delete open;
    return ERROR_SUCCESS;
}
