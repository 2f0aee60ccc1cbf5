#include "platform/posix/windows/WindowTable.h"

#include "platform/posix/CaseFold.h"

#include <algorithm>

namespace posix {

namespace {

std::map<HWND, std::unique_ptr<Window>>& Table()
{
    static std::map<HWND, std::unique_ptr<Window>> table;
    return table;
}

std::uintptr_t g_nextHandle = 0x10000;

} // namespace

Window* FindWindowEntry(HWND handle)
{
    auto it = Table().find(handle);
    return it == Table().end() ? nullptr : it->second.get();
}

HWND CreateWindowEntry(Window window)
{
    g_nextHandle += 4;
    window.handle = reinterpret_cast<HWND>(g_nextHandle);
    const HWND handle = window.handle;
    if (Window* parent = FindWindowEntry(window.parent))
        parent->children.push_back(handle);
    Table()[handle] = std::make_unique<Window>(std::move(window));
    return handle;
}

void DestroyWindowEntry(HWND handle)
{
    Window* window = FindWindowEntry(handle);
    if (!window)
        return;
    for (HWND child : std::vector<HWND>(window->children))
        DestroyWindowEntry(child);
    if (Window* parent = FindWindowEntry(window->parent))
        std::erase(parent->children, handle);
    Table().erase(handle);
}

ControlKind KindOfClass(const std::string& className)
{
    if (EqualsFolded(className, "BUTTON"))
        return ControlKind::Button;
    if (EqualsFolded(className, "EDIT"))
        return ControlKind::Edit;
    if (EqualsFolded(className, "STATIC"))
        return ControlKind::Static;
    if (EqualsFolded(className, "LISTBOX"))
        return ControlKind::ListBox;
    if (EqualsFolded(className, "msctls_progress32"))
        return ControlKind::Progress;
    return ControlKind::Other;
}

bool ClickButton(HWND button)
{
    Window* window = FindWindowEntry(button);
    if (!window || window->kind != ControlKind::Button || !window->visible() || !window->enabled())
        return false;
    const DWORD type = window->style & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX) {
        window->check = window->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    } else if (type == BS_AUTORADIOBUTTON) {
        // The group runs from the nearest WS_GROUP control at or before this one to the next one.
        if (Window* parent = FindWindowEntry(window->parent)) {
            const auto& siblings = parent->children;
            auto self = std::find(siblings.begin(), siblings.end(), button);
            auto first = self;
            while (first != siblings.begin() && !(FindWindowEntry(*first)->style & WS_GROUP))
                --first;
            for (auto it = first; it != siblings.end(); ++it) {
                Window* sibling = FindWindowEntry(*it);
                if (it != first && (sibling->style & WS_GROUP))
                    break;
                if (sibling->kind == ControlKind::Button
                    && (sibling->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
                    sibling->check = BST_UNCHECKED;
            }
        }
        window->check = BST_CHECKED;
    }
    (void)SendMessageA(window->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(window->id), BN_CLICKED),
        reinterpret_cast<LPARAM>(button));
    return true;
}

bool SelectListRow(HWND list, int row)
{
    Window* window = FindWindowEntry(list);
    if (!window || window->kind != ControlKind::ListBox || !window->visible() || !window->enabled() || row < 0
        || row >= static_cast<int>(window->items.size()))
        return false;
    window->selection = row;
    if (window->style & LBS_NOTIFY)
        (void)SendMessageA(window->parent, WM_COMMAND,
            MAKEWPARAM(static_cast<WORD>(window->id), LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return true;
}

} // namespace posix
