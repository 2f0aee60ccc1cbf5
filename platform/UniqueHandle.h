// Move-only owners for the system's handles. Copying is impossible, so nothing closes twice.
#pragma once

#include "platform/win32.h"

#include <utility>

template<class Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle)
        : m_handle(handle)
    { }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : m_handle(other.release())
    { }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::Invalid(); }

    // Address for a Win32 out-parameter; whatever was owned is closed first.
    Handle* put()
    {
        reset();
        return &m_handle;
    }

    Handle release() { return std::exchange(m_handle, Traits::Invalid()); }

    void reset(Handle handle = Traits::Invalid())
    {
        if (m_handle != Traits::Invalid())
            Traits::Close(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

struct KeyHandleTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle key) { (void)RegCloseKey(key); }
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle file) { (void)CloseHandle(file); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle find) { (void)FindClose(find); }
};

// Processes, threads and mutexes: a failed call gives a null handle, not INVALID_HANDLE_VALUE.
struct ObjectHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle object) { (void)CloseHandle(object); }
};

using UniqueKey = UniqueHandle<KeyHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueObject = UniqueHandle<ObjectHandleTraits>;
