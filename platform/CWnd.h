// A window of the dialog framework: a handle and the operations the pages call on it. Controls
// are CWnd objects attached to a page's child windows by DDX_Control.
#pragma once

#include "platform/MessageMap.h"

#include <string>

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }

    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void SetWindowTextA(LPCSTR text) { (void)::SetWindowTextA(m_hWnd, text); }
    int GetWindowTextA(LPSTR text, int maxCount) const { return ::GetWindowTextA(m_hWnd, text, maxCount); }
    std::string GetWindowTextA() const; // the whole text, at any length
    void SetDlgItemTextA(int id, LPCSTR text) { (void)::SetDlgItemTextA(m_hWnd, id, text); }
    std::string GetDlgItemTextA(int id) const; // the whole text, at any length
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    void GetClientRect(LPRECT rect) const { (void)::GetClientRect(m_hWnd, rect); }
    HICON SetIcon(HICON icon, BOOL big);

    // Routes a message through the message maps; true when a handler took it, with its result.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    HWND m_hWnd = nullptr;

protected:
    // Leaves the message to the window's default processing.
    void Default() { m_defaultRequested = true; }

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }

    // What a class without its own handler for these messages does: the default processing.
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnPaint() { Default(); }
    HCURSOR OnQueryDragIcon() { return nullptr; }

    bool m_defaultRequested = false;
};

// Binds a member control to the page's child window with that id.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog)
        , m_bSaveAndValidate(saveAndValidate)
    { }
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
