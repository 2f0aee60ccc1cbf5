// Who acts for the user on POSIX. A modal page asks its host for the user's turn until the page
// ends; message boxes, the folder browser and the open-file dialog are host calls too. The scripted
// host drives the program in tests; the terminal host shows it to a person.
#pragma once

#include "platform/win32.h"

#include <optional>
#include <string>

namespace posix {

class DialogHost {
public:
    virtual ~DialogHost() = default;

    // The user's turn on a displayed modal page: act on its windows (see WindowTable.h: clicks,
    // list selections, typed text) and return; the page asks again until it has ended.
    virtual void UserTurn(HWND dialog, int templateId) = 0;

    // A modal message box; returns the button pressed.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, UINT style) = 0;

    // The shell's folder browser: the chosen folder's path, an empty text for a chosen item that
    // has no file-system path, or nothing when the user cancelled.
    virtual std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title, UINT flags) = 0;

    // The open-file dialog; true with the chosen file's full path, false when cancelled.
    virtual bool OpenFile(HWND owner, const std::string& filter, DWORD flags, std::string& path) = 0;

    // A control changed in a way Win32 shows at once rather than at the next paint (a progress
    // bar moving while the program works); a host that draws may show it now.
    virtual void Repaint(HWND) { }
};

// Starting processes and waiting, which tests replace so that nothing real is started and no
// time passes.
class ProcessService {
public:
    virtual ~ProcessService() = default;
    // Starts commandLine as a new process; false when it cannot be started.
    virtual bool Start(const std::string& commandLine, DWORD creationFlags) = 0;
    // The same, giving the process's id to wait for; a service that only records what is started
    // gives 0, which waits for nothing and exits with 0.
    virtual bool Spawn(const std::string& commandLine, DWORD creationFlags, int& pid)
    {
        pid = 0;
        return Start(commandLine, creationFlags);
    }
    virtual void Sleep(DWORD milliseconds) = 0;
};

ProcessService& GetProcessService();
ProcessService* SetProcessService(ProcessService* service); // nullptr restores the system's

// The host in use, or nullptr: then modal pages fail to start (DialogBoxParamA returns -1) and
// message boxes go to standard error.
DialogHost* GetDialogHost();
DialogHost* SetDialogHost(DialogHost* host); // returns the one it replaces

} // namespace posix
