// A modal page built from a dialog template. DoModal runs it and returns its end code; the
// framework's dialog procedure routes messages to the page's virtual functions and message map,
// and never lets an exception unwind through the window system.
#pragma once

#include "platform/CWnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr)
        : m_templateId(templateId)
        , m_parent(parent)
    { }

    virtual INT_PTR DoModal();
    // Requests the end of the page; when it comes during OnInitDialog the page is never shown.
    void EndDialog(int result) { (void)::EndDialog(m_hWnd, result); }

    virtual BOOL OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    UINT GetTemplateId() const { return m_templateId; }

protected:
    virtual void DoDataExchange(CDataExchange*) { }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    static const MessageMap* GetThisMessageMap();
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CWnd* m_parent;
};
