#include "platform/CFile.h"

BOOL CFile::Open(LPCSTR fileName, UINT openFlags, CFileException* error)
{
    Close();
    DWORD access = GENERIC_READ;
    if ((openFlags & 0x3) == modeWrite)
        access = GENERIC_WRITE;
    else if ((openFlags & 0x3) == modeReadWrite)
        access = GENERIC_READ | GENERIC_WRITE;
    // The framework gives shareCompat the meaning of shareExclusive.
    DWORD share = 0;
    switch (openFlags & 0x70) {
    case shareDenyWrite:
        share = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        share = FILE_SHARE_WRITE;
        break;
    case shareDenyNone:
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    default:
        break;
    }
    m_file.reset(
        CreateFileA(fileName, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) {
        if (error)
            error->m_lOsError = static_cast<LONG>(GetLastError());
        return FALSE;
    }
    return TRUE;
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (!m_file)
        return readError;
    DWORD read = 0;
    if (!ReadFile(m_file.get(), buffer, count, &read, nullptr))
        return readError;
    return read;
}

void CFile::Close()
{
    m_file.reset();
}
