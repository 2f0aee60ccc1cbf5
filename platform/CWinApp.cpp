#include "platform/CWinApp.h"

namespace {

CWinApp* g_app = nullptr;

} // namespace

CWinApp::CWinApp()
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

int CWinApp::Run()
{
    // InitInstance runs the whole program; its result only says whether a message loop should
    // follow, and Tarnwick's never asks for one. The exit code carries no meaning.
    (void)InitInstance();
    return 0;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

void AfxEnableControlContainer()
{ }
