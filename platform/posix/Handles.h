// Kernel object handles on POSIX: a HANDLE is an entry of one table, so a stale or foreign handle
// is refused with ERROR_INVALID_HANDLE instead of being dereferenced.
#pragma once

#include "platform/win32.h"

#include <memory>

namespace posix {

struct KernelObject {
    virtual ~KernelObject() = default;
};

HANDLE AddHandle(std::unique_ptr<KernelObject> object);
// How many handles are open; tests use it to find handles nobody closed.
std::size_t OpenHandleCount();

// The object behind handle when it is open and of type T; nullptr otherwise.
KernelObject* FindHandle(HANDLE handle);
template<class T> T* HandleAs(HANDLE handle)
{
    return dynamic_cast<T*>(FindHandle(handle));
}

// Closes handle when it is open and of type T; false otherwise.
template<class T> bool RemoveHandleOf(HANDLE handle);
bool RemoveHandle(HANDLE handle, bool (*isType)(KernelObject*));

template<class T> bool RemoveHandleOf(HANDLE handle)
{
    return RemoveHandle(handle, [](KernelObject* object) { return dynamic_cast<T*>(object) != nullptr; });
}

} // namespace posix
