// The framework's open-file dialog. Unlike the system's dialog on its own, it leaves the current
// directory where it was: the package's files are found through it.
#pragma once

#include "platform/CWnd.h"

#include <string>

class CFileDialog {
public:
    // filter is in the framework's form: "Name|pattern|Name|pattern||".
    CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension = nullptr, LPCSTR fileName = nullptr,
        DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
        CWnd* parent = nullptr);

    INT_PTR DoModal(); // IDOK when the user chose a file, IDCANCEL otherwise
    std::string GetPathName() const { return m_path; }

    DWORD GetFlags() const { return m_flags; }

private:
    BOOL m_open;
    std::string m_defaultExtension;
    std::string m_filter; // the system's form: zero-separated, ended by two zeros
    DWORD m_flags;
    CWnd* m_parent;
    std::string m_path;
};
