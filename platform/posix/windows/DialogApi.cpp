// Modal pages on POSIX: DialogBoxParamA builds the page's windows from its template, initialises
// it, and lets the host act for the user until the page ends.
#include "platform/DialogTemplate.h"
#include "platform/posix/windows/DialogHost.h"
#include "platform/posix/windows/WindowTable.h"

#include <cerrno>

namespace posix {

namespace {

DialogHost* g_host = nullptr;

} // namespace

DialogHost* GetDialogHost()
{
    return g_host;
}

DialogHost* SetDialogHost(DialogHost* host)
{
    DialogHost* previous = g_host;
    g_host = host;
    return previous;
}

namespace {

// What a page and a control take alike from their templates.
template<class Template> Window FromTemplate(const Template& source, HWND parent, std::string_view className)
{
    Window window;
    window.parent = parent;
    window.className = std::string(className);
    window.kind = KindOfClass(window.className);
    window.style = source.style;
    window.exStyle = source.exStyle;
    window.x = source.x;
    window.y = source.y;
    window.cx = source.cx;
    window.cy = source.cy;
    return window;
}

} // namespace

HWND CreateDialogWindows(const DialogTemplate& page, HWND parent)
{
    Window dialog = FromTemplate(page, parent, "#32770");
    dialog.kind = ControlKind::Dialog;
    dialog.text = std::string(page.caption);
    // The page is created hidden and shown once initialised, as DialogBox does.
    dialog.style &= ~WS_VISIBLE;
    dialog.templateId = page.id;
    const HWND handle = CreateWindowEntry(std::move(dialog));

    for (int i = 0; i < page.controlCount; ++i) {
        const ControlTemplate& control = page.controls[i];
        Window child = FromTemplate(control, handle, control.className);
        child.id = control.id;
        child.text = std::string(control.text);
        child.imageId = control.imageId;
        (void)CreateWindowEntry(std::move(child));
    }
    return handle;
}

} // namespace posix

using posix::Window;

INT_PTR WINAPI DialogBoxParamA(
    HINSTANCE, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam)
{
    posix::DialogHost* host = posix::GetDialogHost();
    const DialogTemplate* dialogTemplate = IS_INTRESOURCE(templateName)
        ? FindDialogTemplate(static_cast<int>(reinterpret_cast<ULONG_PTR>(templateName)))
        : nullptr;
    if (!dialogTemplate || !dialogProc || !host) {
        SetLastError(dialogTemplate ? ERROR_INVALID_HANDLE : 1812); // ERROR_RESOURCE_DATA_NOT_FOUND
        return -1;
    }

    const HWND handle = posix::CreateDialogWindows(*dialogTemplate, parent);
    posix::FindWindowEntry(handle)->dialogProc = dialogProc;
    (void)SendMessageA(handle, WM_INITDIALOG, 0, initParam);

    // A page whose end was asked for while it initialised is never shown.
    Window* page = posix::FindWindowEntry(handle);
    if (page && !page->ended) {
        (void)ShowWindow(handle, SW_SHOWNORMAL);
        while ((page = posix::FindWindowEntry(handle)) && !page->ended)
            host->UserTurn(handle, page->templateId);
    }
    page = posix::FindWindowEntry(handle);
    const INT_PTR result = page ? page->endResult : -1;
    posix::DestroyWindowEntry(handle);
    return result;
}

BOOL WINAPI EndDialog(HWND handle, INT_PTR result)
{
    Window* window = posix::FindWindowEntry(handle);
    if (!window || window->kind != posix::ControlKind::Dialog)
        return FALSE;
    window->ended = true;
    window->endResult = result;
    // An ended page disappears at once, though its windows live until DialogBox returns.
    window->style &= ~WS_VISIBLE;
    return TRUE;
}

HINSTANCE WINAPI GetModuleHandleA(LPCSTR)
{
    static char module;
    return reinterpret_cast<HINSTANCE>(&module);
}

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR name)
{
    // An icon is known by its resource number; nothing is drawn here.
    return IS_INTRESOURCE(name) ? reinterpret_cast<HICON>(reinterpret_cast<ULONG_PTR>(name) | 0x10000)
                                : nullptr;
}

int WINAPI LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int bufferMax)
{
    if (!buffer || bufferMax <= 0)
        return 0;
    const std::string_view text = FindStringResource(static_cast<int>(id));
    const std::size_t count = std::min<std::size_t>(text.size(), static_cast<std::size_t>(bufferMax - 1));
    text.copy(buffer, count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}
