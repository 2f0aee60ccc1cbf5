// Every message to the user goes through AfxMessageBox, which hands it to the current message
// service: on Windows the system's message box, on POSIX the dialog host. Tests install their own
// service to answer questions and to read every message shown.
#pragma once

#include "platform/win32.h"

#include <string>

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows one modal message and returns the pressed button (IDOK, IDYES, IDNO, ...).
    virtual int Show(const std::string& text, const std::string& caption, UINT style) = 0;
};

// The service in use; the platform's own until SetMessageService replaces it.
MessageService& GetMessageService();

// Installs service (nullptr restores the platform's own) and returns the one it replaces, or
// nullptr when that was the platform's own.
MessageService* SetMessageService(MessageService* service);

// The platform's own service (defined in platform/posix or platform/win32).
MessageService& PlatformMessageService();

// The application's title: the executable's file name without its extension.
std::string GetAppTitle();

// Shows text with the application's title as caption; returns the pressed button.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
// The same with a text of the string table.
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
