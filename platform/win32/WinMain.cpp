// The Windows entry point: the one application object runs the program.
#include "platform/CWinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The progress bar is a common control; its class exists only once registered.
    INITCOMMONCONTROLSEX controls { sizeof controls, ICC_PROGRESS_CLASS };
    (void)InitCommonControlsEx(&controls);
    CWinApp* app = AfxGetApp();
    return app ? app->Run() : 1;
}
