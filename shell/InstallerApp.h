// The application object: its InitInstance is the whole program.
#pragma once

#include "platform/CWinApp.h"

#include <string>

class InstallerApp : public CWinApp {
public:
    // Runs the main page (which runs the earlier pages) and returns false: no message loop follows.
    BOOL InitInstance() override;

    // The shell's folder browser. The chosen folder's file-system path, or empty when the user
    // cancelled or the item has none (then after the "Can't get folder" message).
    static std::string BrowseForFolder(HWND owner, const std::string& title, UINT flags);
};
