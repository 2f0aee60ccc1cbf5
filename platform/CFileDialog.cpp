#include "platform/CFileDialog.h"

#include "platform/CurrentDirectory.h"

#include <algorithm>
#include <vector>

CFileDialog::CFileDialog(
    BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags, LPCSTR filter, CWnd* parent)
    : m_open(openFileDialog)
    , m_defaultExtension(defaultExtension ? defaultExtension : "")
    , m_flags(flags)
    , m_parent(parent)
    , m_path(fileName ? fileName : "")
{
    if (filter) {
        m_filter = filter;
        for (char& c : m_filter)
            if (c == '|')
                c = '\0';
    }
    m_filter.push_back('\0');
}

INT_PTR CFileDialog::DoModal()
{
    if (!m_open)
        return IDCANCEL; // only the open dialog is used here
    std::vector<char> file(MAX_PATH + 1, '\0');
    m_path.copy(file.data(), std::min<std::size_t>(m_path.size(), MAX_PATH));

    OPENFILENAMEA dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_parent ? m_parent->m_hWnd : nullptr;
    dialog.lpstrFilter = m_filter.size() > 1 ? m_filter.c_str() : nullptr;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    dialog.Flags = m_flags | OFN_EXPLORER;

    // The system's dialog moves the current directory to wherever the user browsed; put it back.
    const std::string current = GetCurrentDirectoryText();
    const BOOL chosen = GetOpenFileNameA(&dialog);
    if (!current.empty())
        (void)SetCurrentDirectoryA(current.c_str());
    if (!chosen)
        return IDCANCEL;
    m_path = file.data();
    return IDOK;
}
