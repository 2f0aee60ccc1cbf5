#include "platform/CDialog.h"

#include "platform/CWinApp.h"

#include <cstdio>

const MessageMap* CDialog::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = { { MessageMapEntry::End, 0, 0, nullptr, nullptr, nullptr } };
    static const MessageMap map = { &CWnd::GetThisMessageMap, entries };
    return &map;
}

INT_PTR CDialog::DoModal()
{
    const INT_PTR result
        = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(static_cast<int>(m_templateId)),
            m_parent ? m_parent->m_hWnd : nullptr, &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::OnInitDialog()
{
    (void)UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnWndMsg(message, wParam, lParam, result))
        return true;
    // Without a handler of their own, control 1 and control 2 (which Esc and the close box send)
    // end the page through OnOK and OnCancel.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            *result = 0;
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            *result = 0;
            return true;
        }
    }
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Nothing may unwind through the window system: a failure inside a handler ends the page.
    try {
        if (message == WM_INITDIALOG) {
            auto* dialog = reinterpret_cast<CDialog*>(lParam);
            (void)::SetWindowLongPtrA(window, DWLP_USER, lParam);
            dialog->m_hWnd = window;
            return dialog->OnInitDialog();
        }
        auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
        if (!dialog)
            return FALSE;
        LRESULT result = 0;
        if (!dialog->OnWndMsg(message, wParam, lParam, &result))
            return FALSE;
        // These return their result directly; the rest through DWLP_MSGRESULT.
        if (message == WM_QUERYDRAGICON)
            return result;
        (void)::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
    } catch (...) {
        std::fputs("tarnwick: unexpected failure in a dialog handler; the page is closed\n", stderr);
        (void)::EndDialog(window, -1);
        return FALSE;
    }
}
