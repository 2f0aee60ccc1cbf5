// The framework's file class, as far as the wizard reads files: open read-only, read, close.
#pragma once

#include "platform/UniqueHandle.h"

// Filled by a failed Open when the caller passes one; the framework's exception record.
struct CFileException {
    LONG m_lOsError = 0;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
    };

    // Read's result when the system reports a failure. The framework raises an exception there;
    // this class never throws, so callers compare against this value instead.
    static constexpr UINT readError = static_cast<UINT>(-1);

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens an existing file. Returns FALSE on failure with GetLastError() (and error, when given)
    // telling why; the object then stays closed. shareCompat means exclusive access, as in the
    // framework.
    [[nodiscard]] BOOL Open(LPCSTR fileName, UINT openFlags, CFileException* error = nullptr);

    // Reads up to count bytes once; returns the number read (0 at the end of the file), or
    // readError when the read fails or the file is not open. Bytes past the count read are untouched.
    [[nodiscard]] UINT Read(void* buffer, UINT count);

    void Close();
    bool IsOpen() const { return static_cast<bool>(m_file); }

private:
    UniqueFile m_file;
};
