// The framework's directory search. FindFile starts a search; each FindNextFile makes the next
// entry current and returns whether one more follows, so the usual loop is
//     BOOL more = find.FindFile(pattern);
//     while (more) { more = find.FindNextFile(); ... use the current entry ... }
#pragma once

#include "platform/UniqueHandle.h"

#include <string>

class CFileFind {
public:
    CFileFind() = default;
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // Returns FALSE when nothing matches (GetLastError() tells why). The pattern's folder part,
    // up to its last separator, is kept as given and prefixes GetFilePath: a relative pattern
    // gives relative paths.
    BOOL FindFile(LPCSTR pattern = "*.*");
    BOOL FindNextFile();
    void Close();

    std::string GetFileName() const { return m_current.cFileName; }
    std::string GetFilePath() const { return m_root + m_current.cFileName; }
    BOOL MatchesMask(DWORD mask) const { return (m_current.dwFileAttributes & mask) != 0; }
    BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
    BOOL IsDots() const;
    // The framework's GetLength: the current file's size in bytes.
    ULONGLONG GetLength() const
    {
        return (static_cast<ULONGLONG>(m_current.nFileSizeHigh) << 32) | m_current.nFileSizeLow;
    }

private:
    UniqueFind m_find;
    std::string m_root;
    WIN32_FIND_DATAA m_current {};
    WIN32_FIND_DATAA m_next {};
    bool m_hasNext = false;
};
