#include "shell/InstallerApp.h"

#include "platform/MessageService.h"
#include "res/resource.h"
#include "shell/MainDialog.h"

BOOL InstallerApp::InitInstance()
{
    AfxEnableControlContainer();
    MainDialog dialog(nullptr);
    m_pMainWnd = &dialog;
    (void)dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

std::string InstallerApp::BrowseForFolder(HWND owner, const std::string& title, UINT flags)
{
    std::string result;
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator)
        return result;

    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse {};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = flags;
    browse.lpfn = nullptr;
    browse.lParam = 0;

    if (LPITEMIDLIST items = SHBrowseForFolderA(&browse)) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(items, path) && path[0] != '\0')
            result = path;
        else
            AfxMessageBox(IDS_CANT_GET_FOLDER, MB_ICONHAND);
        allocator->Free(items);
    }
    allocator->Release();
    return result;
}
