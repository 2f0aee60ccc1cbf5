// The window functions and the messages Tarnwick sends, with Win32's results.
#include "platform/posix/CaseFold.h"
#include "platform/posix/windows/DialogHost.h"
#include "platform/posix/windows/WindowTable.h"

#include <algorithm>
#include <cstring>

using posix::ControlKind;
using posix::FindWindowEntry;
using posix::Window;

namespace {

LRESULT CopyText(const std::string& text, WPARAM capacity, LPARAM buffer)
{
    auto* out = reinterpret_cast<char*>(buffer);
    if (!out || capacity == 0)
        return 0;
    const std::size_t count = std::min<std::size_t>(text.size(), capacity - 1);
    std::memcpy(out, text.data(), count);
    out[count] = '\0';
    return static_cast<LRESULT>(count);
}

LRESULT ButtonMessage(Window& window, UINT message, WPARAM wParam)
{
    switch (message) {
    case BM_GETCHECK:
        return window.check;
    case BM_SETCHECK:
        window.check = static_cast<UINT>(wParam);
        return 0;
    case BM_CLICK:
        (void)posix::ClickButton(window.handle);
        return 0;
    default:
        return 0;
    }
}

LRESULT ProgressMessage(Window& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto clamp = [&](int position) {
        return std::clamp(position, window.rangeMin, std::max(window.rangeMin, window.rangeMax));
    };
    const int previous = window.position;
    switch (message) {
    case PBM_SETRANGE: {
        const LRESULT old
            = MAKELPARAM(static_cast<WORD>(window.rangeMin), static_cast<WORD>(window.rangeMax));
        window.rangeMin = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)));
        window.rangeMax = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam)));
        window.position = clamp(window.position);
        return old;
    }
    case PBM_SETSTEP: {
        const int old = window.step;
        window.step = static_cast<int>(wParam);
        return old;
    }
    case PBM_STEPIT:
        // Past the end the bar starts over from the beginning, as the common control does.
        window.position += window.step;
        if (window.position > window.rangeMax)
            window.position = window.rangeMin + (window.position - window.rangeMax);
        window.position = clamp(window.position);
        return previous;
    case PBM_SETPOS:
        window.position = clamp(static_cast<int>(wParam));
        return previous;
    case PBM_DELTAPOS:
        window.position = clamp(window.position + static_cast<int>(wParam));
        return previous;
    case PBM_GETPOS:
        return window.position;
    case PBM_GETRANGE:
        return wParam ? window.rangeMin : window.rangeMax;
    default:
        return 0;
    }
}

LRESULT ListMessage(Window& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int count = static_cast<int>(window.items.size());
    const int index = static_cast<int>(wParam);
    switch (message) {
    case LB_ADDSTRING: {
        const std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        auto at = window.items.end();
        // A sorted list compares without regard to case; equal texts go after the ones there.
        if (window.style & LBS_SORT)
            at = std::upper_bound(window.items.begin(), window.items.end(), text,
                [](const std::string& a, const std::string& b) { return posix::CompareFolded(a, b) < 0; });
        const auto position = at - window.items.begin();
        window.items.insert(at, text);
        if (window.selection >= position)
            ++window.selection;
        return position;
    }
    case LB_GETCOUNT:
        return count;
    case LB_GETCURSEL:
        return window.selection;
    case LB_SETCURSEL:
        window.selection = index >= 0 && index < count ? index : LB_ERR;
        return index >= 0 && index < count ? index : LB_ERR;
    case LB_GETTEXTLEN:
        return index >= 0 && index < count ? static_cast<LRESULT>(window.items[index].size()) : LB_ERR;
    case LB_GETTEXT:
        if (index < 0 || index >= count || !lParam)
            return LB_ERR;
        std::memcpy(
            reinterpret_cast<char*>(lParam), window.items[index].c_str(), window.items[index].size() + 1);
        return static_cast<LRESULT>(window.items[index].size());
    default:
        return 0;
    }
}

// What the system's dialog window does with a message its procedure did not take.
LRESULT DefaultDialogMessage(Window& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            return SendMessageA(window.handle, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        // The close box means Cancel, as long as there is an enabled Cancel or no control 2 at all.
        return SendMessageA(window.handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
            reinterpret_cast<LPARAM>(GetDlgItem(window.handle, IDCANCEL)));
    case WM_SETICON: {
        HICON& slot = wParam == ICON_BIG ? window.bigIcon : window.smallIcon;
        HICON old = slot;
        slot = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    default:
        return DefWindowProcA(window.handle, message, wParam, lParam);
    }
}

} // namespace

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = FindWindowEntry(handle);
    if (!window)
        return 0;
    switch (message) {
    case WM_SETTEXT:
        window->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return TRUE;
    case WM_GETTEXT:
        return CopyText(window->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window->text.size());
    default:
        return 0;
    }
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = FindWindowEntry(handle);
    if (!window)
        return 0;
    switch (window->kind) {
    case ControlKind::Dialog:
        if (window->dialogProc) {
            DLGPROC procedure = window->dialogProc;
            const INT_PTR handled = procedure(handle, message, wParam, lParam);
            // A few messages take the procedure's own result; the rest its DWLP_MSGRESULT.
            if (message == WM_QUERYDRAGICON || message == WM_INITDIALOG)
                return handled;
            if (handled) {
                window = FindWindowEntry(handle);
                return window ? window->messageResult : 0;
            }
            window = FindWindowEntry(handle);
            if (!window)
                return 0;
        }
        return DefaultDialogMessage(*window, message, wParam, lParam);
    case ControlKind::Button:
        if (message >= BM_GETCHECK && message <= BM_CLICK)
            return ButtonMessage(*window, message, wParam);
        break;
    case ControlKind::ListBox:
        if (message >= LB_ADDSTRING && message <= LB_GETCOUNT)
            return ListMessage(*window, message, wParam, lParam);
        break;
    case ControlKind::Progress:
        if (message >= PBM_SETRANGE && message <= PBM_GETPOS) {
            const int before = window->position;
            const LRESULT result = ProgressMessage(*window, message, wParam, lParam);
            if (window->position != before && posix::GetDialogHost())
                posix::GetDialogHost()->Repaint(handle);
            return result;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(handle, message, wParam, lParam);
}

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    Window* window = FindWindowEntry(dialog);
    if (!window)
        return nullptr;
    for (HWND child : window->children)
        if (FindWindowEntry(child)->id == id)
            return child;
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND handle)
{
    Window* window = FindWindowEntry(handle);
    return window ? window->id : 0;
}

HWND WINAPI GetParent(HWND handle)
{
    Window* window = FindWindowEntry(handle);
    return window ? window->parent : nullptr;
}

BOOL WINAPI SetWindowTextA(HWND handle, LPCSTR text)
{
    return FindWindowEntry(handle)
        ? static_cast<BOOL>(SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)))
        : FALSE;
}

int WINAPI GetWindowTextA(HWND handle, LPSTR text, int maxCount)
{
    if (maxCount <= 0)
        return 0;
    return static_cast<int>(
        SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextLengthA(HWND handle)
{
    return static_cast<int>(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    return SetWindowTextA(GetDlgItem(dialog, id), text);
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount)
{
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        if (text && maxCount > 0)
            text[0] = '\0';
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, text, maxCount));
}

BOOL WINAPI ShowWindow(HWND handle, int command)
{
    Window* window = FindWindowEntry(handle);
    if (!window)
        return FALSE;
    const BOOL wasVisible = window->visible();
    if (command == SW_HIDE)
        window->style &= ~WS_VISIBLE;
    else
        window->style |= WS_VISIBLE;
    return wasVisible;
}

BOOL WINAPI EnableWindow(HWND handle, BOOL enable)
{
    Window* window = FindWindowEntry(handle);
    if (!window)
        return FALSE;
    const BOOL wasDisabled = !window->enabled();
    if (enable)
        window->style &= ~WS_DISABLED;
    else
        window->style |= WS_DISABLED;
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND handle)
{
    Window* window = FindWindowEntry(handle);
    return window && window->enabled();
}

BOOL WINAPI IsWindowVisible(HWND handle)
{
    // Visible means shown with every window above it shown too.
    for (Window* window = FindWindowEntry(handle); window; window = FindWindowEntry(window->parent))
        if (!window->visible())
            return FALSE;
    return FindWindowEntry(handle) != nullptr;
}

BOOL WINAPI IsWindow(HWND handle)
{
    return FindWindowEntry(handle) != nullptr;
}

BOOL WINAPI IsIconic(HWND handle)
{
    Window* window = FindWindowEntry(handle);
    return window && window->minimized;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND handle, int index, LONG_PTR value)
{
    Window* window = FindWindowEntry(handle);
    if (!window)
        return 0;
    LONG_PTR& slot = index == DWLP_USER ? window->user : window->messageResult;
    const LONG_PTR old = slot;
    slot = value;
    return old;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND handle, int index)
{
    Window* window = FindWindowEntry(handle);
    if (!window)
        return 0;
    return index == DWLP_USER ? window->user : window->messageResult;
}

HMENU WINAPI GetSystemMenu(HWND handle, BOOL)
{
    Window* window = FindWindowEntry(handle);
    return window && (window->style & WS_SYSMENU) ? reinterpret_cast<HMENU>(handle) : nullptr;
}

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text)
{
    Window* window = FindWindowEntry(reinterpret_cast<HWND>(menu));
    if (!window)
        return FALSE;
    window->systemMenu.emplace_back(
        (flags & MF_SEPARATOR) ? 0 : id, (flags & MF_SEPARATOR) || !text ? "" : text);
    return TRUE;
}

int WINAPI GetSystemMetrics(int index)
{
    return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect)
{
    Window* window = FindWindowEntry(handle);
    if (!window || !rect)
        return FALSE;
    // Dialog units at the template font's base units (6 x 13 pixels for 8-point MS Sans Serif).
    *rect = RECT { 0, 0, window->cx * 6 / 4, window->cy * 13 / 8 };
    return TRUE;
}

HDC WINAPI BeginPaint(HWND handle, PAINTSTRUCT* paint)
{
    if (paint)
        *paint = PAINTSTRUCT {};
    return reinterpret_cast<HDC>(handle);
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT*)
{
    return TRUE;
}

BOOL WINAPI DrawIcon(HDC dc, int x, int y, HICON icon)
{
    // Nothing is drawn here; the window keeps what was, for a host to show or a test to check.
    Window* window = FindWindowEntry(reinterpret_cast<HWND>(dc));
    if (!window)
        return FALSE;
    window->drawnIcon = icon;
    window->drawnX = x;
    window->drawnY = y;
    return TRUE;
}
