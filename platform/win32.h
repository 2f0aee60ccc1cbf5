// The one place that chooses the platform. Everything outside platform/ includes this header and
// calls the Win32 names it needs; on Windows they are the system's, elsewhere our own subset.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
// Common controls (the progress bar), common dialogs (open file) and the shell (folder browser),
// which <windows.h> leaves out.
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#else
#include "platform/posix/win32_subset.h"
#endif
