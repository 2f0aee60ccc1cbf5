#include "platform/CFileFind.h"

#include <cstring>

BOOL CFileFind::FindFile(LPCSTR pattern)
{
    Close();
    const std::string text = pattern ? pattern : "*.*";
    const std::size_t cut = text.find_last_of("\\/");
    if (cut != std::string::npos)
        m_root = text.substr(0, cut + 1);
    else if (text.size() >= 2 && text[1] == ':')
        m_root = text.substr(0, 2);
    m_find.reset(::FindFirstFileA(text.c_str(), &m_next));
    m_hasNext = static_cast<bool>(m_find);
    return m_hasNext ? TRUE : FALSE;
}

BOOL CFileFind::FindNextFile()
{
    if (!m_hasNext)
        return FALSE;
    m_current = m_next;
    m_hasNext = ::FindNextFileA(m_find.get(), &m_next) != FALSE;
    return m_hasNext ? TRUE : FALSE;
}

void CFileFind::Close()
{
    m_find.reset();
    m_root.clear();
    m_current = WIN32_FIND_DATAA {};
    m_hasNext = false;
}

BOOL CFileFind::IsDots() const
{
    return IsDirectory()
        && (std::strcmp(m_current.cFileName, ".") == 0 || std::strcmp(m_current.cFileName, "..") == 0);
}
