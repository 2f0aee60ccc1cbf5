// The application object: one global instance whose InitInstance runs the program.
#pragma once

#include "platform/CWnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    // Runs the program as the system's entry point does: InitInstance, and no message loop of its
    // own when that returns false. Returns the process exit code.
    int Run();

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
void AfxEnableControlContainer();
