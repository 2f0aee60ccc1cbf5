// The framework's control classes: thin views of a child window, attached with DDX_Control.
#pragma once

#include "platform/CWnd.h"

#include <string>

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessageA(BM_GETCHECK)); }
    void SetCheck(int check) { (void)SendMessageA(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CEdit : public CWnd { };

class CStatic : public CWnd { };

class CListBox : public CWnd {
public:
    int AddString(LPCSTR text)
    {
        return static_cast<int>(SendMessageA(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(SendMessageA(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessageA(LB_GETCURSEL)); }
    int SetCurSel(int index)
    {
        return static_cast<int>(SendMessageA(LB_SETCURSEL, static_cast<WPARAM>(index)));
    }
    // The text of row index; empty when there is no such row.
    void GetText(int index, std::string& text) const;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper)
    {
        (void)SendMessageA(PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(lower), static_cast<WORD>(upper)));
    }
    int SetStep(int step) { return static_cast<int>(SendMessageA(PBM_SETSTEP, static_cast<WPARAM>(step))); }
    int StepIt() { return static_cast<int>(SendMessageA(PBM_STEPIT)); }
    int SetPos(int position)
    {
        return static_cast<int>(SendMessageA(PBM_SETPOS, static_cast<WPARAM>(position)));
    }
    int GetPos() const { return static_cast<int>(SendMessageA(PBM_GETPOS)); }
};
