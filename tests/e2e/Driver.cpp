#include "Driver.h"

#include <cstdio>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 15000;
constexpr DWORD kPollMs = 50;

struct Search {
    DWORD processId;
    int controlId;
    bool messageBox;
    HWND found;
    const char* caption = nullptr; // when set, the dialog with this caption
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770")
        return TRUE;
    if (search->caption) {
        char caption[256] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (std::string(caption) == search->caption) {
            search->found = window;
            return FALSE;
        }
        return TRUE;
    }
    // A page is known by one of its controls. A message box holds its text in static 0xFFFF, an
    // id the pages' unnamed statics share, so it is the dialog with that static and none of the
    // controls that mark the pages.
    bool isPage = false;
    for (int id : { 1001, 1017, 1023 })
        isPage = isPage || GetDlgItem(window, id) != nullptr;
    const bool isBox = !isPage && GetDlgItem(window, 0xFFFF) != nullptr;
    if (search->messageBox ? isBox : GetDlgItem(window, search->controlId) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Polls for the program's top-level window the search describes, up to the timeout; once found
// it is given a moment to finish painting before anyone looks at it.
HWND WaitForWindow(Search search)
{
    for (DWORD waited = 0; waited < kTimeoutMs; waited += kPollMs) {
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            Sleep(300);
            return search.found;
        }
        Sleep(kPollMs);
    }
    return nullptr;
}

std::string WindowText(HWND window)
{
    if (!window)
        return {};
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}

// The face GDI really draws an 8-point font of that name with: for a face the prefix lacks, Wine
// quietly draws a look-alike instead and names that.
std::string DrawnFace(const char* face)
{
    LOGFONTA wanted {};
    wanted.lfHeight = -11;
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontIndirectA(&wanted);
    HGDIOBJ old = SelectObject(dc, font);
    char drawn[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof drawn, drawn);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return drawn;
}

} // namespace

Driver::Driver(std::string exe, std::string packageFolder, std::string screenshotFolder)
    : m_exe(std::move(exe))
    , m_package(std::move(packageFolder))
    , m_screens(std::move(screenshotFolder))
{ }

Driver::~Driver()
{
    if (m_process.hProcess) {
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 1);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
}

// The pictures show what an administrator sees only with the fonts Windows has: MS Sans Serif, the
// dialog templates' font; Tahoma, the font of captions and message boxes; Marlett, whose glyphs
// are the caption buttons.
void Driver::CheckFonts()
{
    for (const char* face : { "MS Sans Serif", "Tahoma", "Marlett" }) {
        const std::string drawn = DrawnFace(face);
        if (drawn != face)
            Fail(std::string("the font ") + face + " is drawn as " + (drawn.empty() ? "nothing" : drawn)
                + ": the prefix lacks Windows' fonts, which tools/wine-run.sh --prepare puts in it");
    }
}

bool Driver::Start()
{
    CheckFonts();
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    std::string command = "\"" + m_exe + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, m_package.c_str(),
            &startup, &m_process)) {
        Fail("cannot start " + m_exe);
        return false;
    }
    return true;
}

bool Driver::Ended(DWORD waitMs)
{
    return m_process.hProcess && WaitForSingleObject(m_process.hProcess, waitMs) == WAIT_OBJECT_0;
}

HWND Driver::WaitForPage(int id, const char* name)
{
    if (HWND page = WaitForWindow({ m_process.dwProcessId, id, false, nullptr })) {
        Screenshot(name);
        return page;
    }
    Fail(std::string("the page '") + name + "' did not appear");
    Screenshot(std::string(name) + "-missing");
    return nullptr;
}

HWND Driver::WaitForCaption(const std::string& caption, const char* name)
{
    if (HWND window = WaitForWindow({ m_process.dwProcessId, 0, false, nullptr, caption.c_str() })) {
        Screenshot(name);
        return window;
    }
    Fail("no window '" + caption + "' appeared");
    return nullptr;
}

HWND Driver::WaitForMessageBox(std::string& text, std::string& caption)
{
    if (HWND box = WaitForWindow({ m_process.dwProcessId, 0, true, nullptr })) {
        text = WindowText(GetDlgItem(box, 0xFFFF));
        caption = WindowText(box);
        return box;
    }
    Fail("no message box appeared");
    return nullptr;
}

void Driver::AnswerMessageBox(HWND box, int button)
{
    if (!box)
        return;
    PostMessageA(
        box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    for (DWORD waited = 0; waited < kTimeoutMs && IsWindow(box) && IsWindowVisible(box); waited += kPollMs)
        Sleep(kPollMs);
}

std::string Driver::Text(HWND page, int id) const
{
    return WindowText(GetDlgItem(page, id));
}

std::string Driver::Caption(HWND window) const
{
    return WindowText(window);
}

bool Driver::Enabled(HWND page, int id) const
{
    return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

bool Driver::Visible(HWND page, int id) const
{
    return IsWindowVisible(GetDlgItem(page, id)) != FALSE;
}

int Driver::Check(HWND page, int id) const
{
    return static_cast<int>(SendMessageA(GetDlgItem(page, id), BM_GETCHECK, 0, 0));
}

std::vector<std::string> Driver::ListItems(HWND page, int id) const
{
    // Rows of another process's list box come across whole only as wide text.
    HWND list = GetDlgItem(page, id);
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, row, 0);
        std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(wide.data()));
        const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
        std::vector<char> narrow(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, narrow.data(), size, nullptr, nullptr);
        items.emplace_back(narrow.data());
    }
    return items;
}

void Driver::Type(HWND page, int id, const std::string& text)
{
    SendMessageA(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Driver::Click(HWND page, int id)
{
    // Posted, not sent: the click may open a message box that this program must answer.
    HWND control = GetDlgItem(page, id);
    if (!control || !IsWindowEnabled(control))
        Fail("control " + std::to_string(id) + " cannot be clicked");
    PostMessageA(control, BM_CLICK, 0, 0);
    Sleep(200);
}

void Driver::Select(HWND page, int id, int row)
{
    HWND list = GetDlgItem(page, id);
    SendMessageA(list, LB_SETCURSEL, row, 0);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    Sleep(200);
}

void Driver::Escape(HWND page)
{
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Sleep(200);
}

void Driver::SystemCommand(HWND page, UINT command)
{
    PostMessageA(page, WM_SYSCOMMAND, command, 0);
    Sleep(200);
}

void Driver::Screenshot(const std::string& name)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    std::vector<BYTE> pixels(static_cast<std::size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    const std::string path = m_screens + "\\" + name + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info, sizeof info, 1, out);
        std::fwrite(pixels.data(), 1, pixels.size(), out);
        std::fclose(out);
    }
}

void Driver::Fail(const std::string& what)
{
    ++m_failures;
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
}
