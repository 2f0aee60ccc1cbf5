#include "platform/posix/Handles.h"

#include <mutex>
#include <unordered_map>

namespace posix {

namespace {

std::mutex g_mutex;
std::unordered_map<HANDLE, std::unique_ptr<KernelObject>>& Table()
{
    static std::unordered_map<HANDLE, std::unique_ptr<KernelObject>> table;
    return table;
}

} // namespace

HANDLE AddHandle(std::unique_ptr<KernelObject> object)
{
    HANDLE handle = object.get();
    std::lock_guard lock(g_mutex);
    Table().emplace(handle, std::move(object));
    return handle;
}

std::size_t OpenHandleCount()
{
    std::lock_guard lock(g_mutex);
    return Table().size();
}

KernelObject* FindHandle(HANDLE handle)
{
    std::lock_guard lock(g_mutex);
    auto it = Table().find(handle);
    return it == Table().end() ? nullptr : it->second.get();
}

bool RemoveHandle(HANDLE handle, bool (*isType)(KernelObject*))
{
    std::unique_ptr<KernelObject> object;
    {
        std::lock_guard lock(g_mutex);
        auto it = Table().find(handle);
        if (it == Table().end() || !isType(it->second.get()))
            return false;
        object = std::move(it->second);
        Table().erase(it);
    }
    return true; // object is destroyed here, outside the lock
}

} // namespace posix
