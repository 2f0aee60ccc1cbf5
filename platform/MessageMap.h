// Message maps in the dialog framework's style: a class lists the messages it handles between
// BEGIN_MESSAGE_MAP and END_MESSAGE_MAP; a lookup walks from the class's map to its base's.
#pragma once

#include "platform/win32.h"

class CWnd;

struct MessageMapEntry {
    enum Kind { End, Command, Notify, SysCommand, Paint, QueryDragIcon };
    Kind kind;
    UINT code; // notification code for Command entries
    UINT id; // control for Command entries
    void (CWnd::*onCommand)();
    void (CWnd::*onSysCommand)(UINT, LPARAM);
    HCURSOR (CWnd::*onQueryDragIcon)();
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageMapEntry* entries;
};

#define DECLARE_MESSAGE_MAP()                                                                                \
protected:                                                                                                   \
    static const MessageMap* GetThisMessageMap();                                                            \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                               \
    const MessageMap* theClass::GetMessageMap() const                                                        \
    {                                                                                                        \
        return GetThisMessageMap();                                                                          \
    }                                                                                                        \
    const MessageMap* theClass::GetThisMessageMap()                                                          \
    {                                                                                                        \
        using ThisClass [[maybe_unused]] = theClass;                                                         \
        using TheBaseClass = baseClass;                                                                      \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                                    \
    {                                                                                                        \
        MessageMapEntry::End, 0, 0, nullptr, nullptr, nullptr                                                \
    }                                                                                                        \
    }                                                                                                        \
    ;                                                                                                        \
    static const MessageMap map = { &TheBaseClass::GetThisMessageMap, entries };                             \
    return &map;                                                                                             \
    }

#define ON_COMMAND_CODE(code, id, member)                                                                    \
    { MessageMapEntry::Command, static_cast<UINT>(code), static_cast<UINT>(id),                              \
        static_cast<void (CWnd::*)()>(member), nullptr, nullptr },
#define ON_BN_CLICKED(id, member) ON_COMMAND_CODE(BN_CLICKED, id, member)
#define ON_LBN_SELCHANGE(id, member) ON_COMMAND_CODE(LBN_SELCHANGE, id, member)
#define ON_WM_SYSCOMMAND()                                                                                   \
    { MessageMapEntry::SysCommand, 0, 0, nullptr,                                                            \
        static_cast<void (CWnd::*)(UINT, LPARAM)>(&ThisClass::OnSysCommand), nullptr },
#define ON_WM_PAINT()                                                                                        \
    { MessageMapEntry::Paint, 0, 0, static_cast<void (CWnd::*)()>(&ThisClass::OnPaint), nullptr, nullptr },
#define ON_WM_QUERYDRAGICON()                                                                                \
    { MessageMapEntry::QueryDragIcon, 0, 0, nullptr, nullptr,                                                \
        static_cast<HCURSOR (CWnd::*)()>(&ThisClass::OnQueryDragIcon) },
