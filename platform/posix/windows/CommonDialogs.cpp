// The common dialogs on POSIX are the dialog host's.
#include "platform/posix/windows/DialogHost.h"

#include <cstring>

BOOL WINAPI GetOpenFileNameA(OPENFILENAMEA* dialog)
{
    posix::DialogHost* host = posix::GetDialogHost();
    if (!dialog || !dialog->lpstrFile || dialog->nMaxFile == 0 || !host)
        return FALSE;
    // The host gets the filter in the framework's readable form, "Name|pattern|...".
    std::string filter;
    for (const char* part = dialog->lpstrFilter; part && *part; part += std::strlen(part) + 1)
        filter += std::string(part) + "|";
    std::string path;
    if (!host->OpenFile(dialog->hwndOwner, filter, dialog->Flags, path) || path.size() >= dialog->nMaxFile)
        return FALSE;
    std::memcpy(dialog->lpstrFile, path.c_str(), path.size() + 1);
    return TRUE;
}
