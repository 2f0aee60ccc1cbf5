#include "platform/CWnd.h"

#include "platform/Controls.h"

#include <vector>

namespace {

std::string WholeText(HWND window)
{
    // The length can change between the two calls only if another thread writes; one retry with
    // the new length keeps the result whole all the same.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int length = ::GetWindowTextLengthA(window);
        std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
        const int copied = ::GetWindowTextA(window, buffer.data(), length + 2);
        if (copied <= length)
            return std::string(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
    }
    return {};
}

} // namespace

std::string CWnd::GetWindowTextA() const
{
    return WholeText(m_hWnd);
}

std::string CWnd::GetDlgItemTextA(int id) const
{
    return WholeText(::GetDlgItem(m_hWnd, id));
}

HICON CWnd::SetIcon(HICON icon, BOOL big)
{
    return reinterpret_cast<HICON>(
        SendMessageA(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

const MessageMap* CWnd::GetThisMessageMap()
{
    static const MessageMapEntry entries[] = { { MessageMapEntry::End, 0, 0, nullptr, nullptr, nullptr } };
    static const MessageMap map = { nullptr, entries };
    return &map;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->kind != MessageMapEntry::End; ++entry) {
            m_defaultRequested = false;
            switch (entry->kind) {
            case MessageMapEntry::Command:
                if (message != WM_COMMAND || HIWORD(wParam) != entry->code || LOWORD(wParam) != entry->id)
                    continue;
                (this->*entry->onCommand)();
                *result = 0;
                return !m_defaultRequested;
            case MessageMapEntry::SysCommand:
                if (message != WM_SYSCOMMAND)
                    continue;
                (this->*entry->onSysCommand)(static_cast<UINT>(wParam), lParam);
                *result = 0;
                return !m_defaultRequested;
            case MessageMapEntry::Paint:
                if (message != WM_PAINT)
                    continue;
                (this->*entry->onCommand)();
                *result = 0;
                return !m_defaultRequested;
            case MessageMapEntry::QueryDragIcon:
                if (message != WM_QUERYDRAGICON)
                    continue;
                *result = reinterpret_cast<LRESULT>((this->*entry->onQueryDragIcon)());
                return true;
            default:
                continue;
            }
        }
    }
    return false;
}

void CListBox::GetText(int index, std::string& text) const
{
    text.clear();
    const LRESULT length = SendMessageA(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR)
        return;
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    if (SendMessageA(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()))
        == LB_ERR)
        return;
    text = buffer.data();
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (!control.m_hWnd)
        control.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}
