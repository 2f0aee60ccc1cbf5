#include "ScriptedHost.h"

#include "platform/posix/windows/WindowTable.h"

#include <gtest/gtest.h>

using posix::FindWindowEntry;

const PageExit kCancelExits[3] = {
    { "Cancel", [](PageView& page) { page.Click(IDCANCEL); } },
    { "Esc", [](PageView& page) { page.PressEscape(); } },
    { "close box", [](PageView& page) { page.CloseBox(); } },
};

HWND PageView::Control(int id) const
{
    HWND control = GetDlgItem(m_dialog, id);
    EXPECT_NE(nullptr, control) << "page " << m_templateId << " has no control " << id;
    return control;
}

std::string PageView::Caption() const
{
    const posix::Window* window = FindWindowEntry(m_dialog);
    return window ? window->text : std::string();
}

std::string PageView::Text(int id) const
{
    const posix::Window* window = FindWindowEntry(Control(id));
    return window ? window->text : std::string();
}

bool PageView::Visible(int id) const
{
    const posix::Window* window = FindWindowEntry(Control(id));
    return window && window->visible();
}

bool PageView::Enabled(int id) const
{
    const posix::Window* window = FindWindowEntry(Control(id));
    return window && window->enabled();
}

int PageView::Check(int id) const
{
    const posix::Window* window = FindWindowEntry(Control(id));
    return window ? static_cast<int>(window->check) : -1;
}

std::vector<std::string> PageView::Items(int id) const
{
    const posix::Window* window = FindWindowEntry(Control(id));
    return window ? window->items : std::vector<std::string> {};
}

int PageView::Selection(int id) const
{
    const posix::Window* window = FindWindowEntry(Control(id));
    return window ? window->selection : LB_ERR;
}

int PageView::ProgressPosition(int id) const
{
    const posix::Window* window = FindWindowEntry(Control(id));
    return window ? window->position : -1;
}

bool PageView::Shown() const
{
    const posix::Window* window = FindWindowEntry(m_dialog);
    return window && window->visible();
}

void PageView::Type(int id, const std::string& text)
{
    posix::Window* window = FindWindowEntry(Control(id));
    if (!window)
        return;
    if (window->kind != posix::ControlKind::Edit || !window->visible() || !window->enabled()
        || (window->style & ES_READONLY)) {
        ADD_FAILURE() << "cannot type into control " << id << " of page " << m_templateId;
        return;
    }
    window->text = text;
}

void PageView::Click(int id)
{
    HWND control = Control(id);
    if (control && !posix::ClickButton(control))
        ADD_FAILURE() << "cannot click control " << id << " of page " << m_templateId
                      << " (hidden or disabled)";
}

void PageView::Select(int id, int row)
{
    HWND control = Control(id);
    if (control && !posix::SelectListRow(control, row))
        ADD_FAILURE() << "cannot select row " << row << " of list " << id << " on page " << m_templateId;
}

void PageView::PressEnter()
{
    const posix::Window* page = FindWindowEntry(m_dialog);
    for (HWND child : page ? page->children : std::vector<HWND> {}) {
        const posix::Window* control = FindWindowEntry(child);
        if (control->kind == posix::ControlKind::Button
            && (control->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            (void)posix::ClickButton(child); // a disabled default button ignores Enter
            return;
        }
    }
}

void PageView::PressEscape()
{
    // The dialog manager turns Esc into control 2's command, whether or not there is such a button.
    (void)SendMessageA(m_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
        reinterpret_cast<LPARAM>(GetDlgItem(m_dialog, IDCANCEL)));
}

void PageView::CloseBox()
{
    (void)SendMessageA(m_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PageView::MinimizeAndPaint()
{
    if (posix::Window* window = FindWindowEntry(m_dialog))
        window->minimized = true;
    (void)SendMessageA(m_dialog, WM_PAINT, 0, 0);
}

void PageView::SystemCommand(UINT command)
{
    (void)SendMessageA(m_dialog, WM_SYSCOMMAND, command, 0);
}

ScriptedHost::ScriptedHost()
    : m_previousHost(posix::SetDialogHost(this))
    , m_previousProcesses(posix::SetProcessService(this))
    , m_previousService(SetMessageService(&m_service))
{ }

ScriptedHost::~ScriptedHost()
{
    posix::SetDialogHost(m_previousHost);
    posix::SetProcessService(m_previousProcesses);
    SetMessageService(m_previousService);
    EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " scripted turn(s) never came, the next on page "
                                 << (m_steps.empty() ? 0 : m_steps.front().templateId);
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " message box answer(s) never asked for";
    EXPECT_TRUE(m_folders.empty()) << m_folders.size() << " folder answer(s) never asked for";
    EXPECT_TRUE(m_openFiles.empty()) << m_openFiles.size() << " open-file answer(s) never asked for";
}

void ScriptedHost::OnPage(int templateId, Step step)
{
    m_steps.push_back({ templateId, std::move(step) });
}

void ScriptedHost::AnswerMessage(int button)
{
    m_answers.push_back(button);
}

void ScriptedHost::AnswerFolder(std::optional<std::string> path)
{
    m_folders.push_back(std::move(path));
}

void ScriptedHost::AnswerOpenFile(std::optional<std::string> path)
{
    m_openFiles.push_back(std::move(path));
}

std::vector<std::string> ScriptedHost::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const ShownMessage& message : m_messages)
        texts.push_back(message.text);
    return texts;
}

void ScriptedHost::UserTurn(HWND dialog, int templateId)
{
    m_turns.push_back(templateId);
    PageView page(dialog, templateId);
    if (m_steps.empty() || m_steps.front().templateId != templateId) {
        ADD_FAILURE() << "page " << templateId << " waits for the user, but the script expects "
                      << (m_steps.empty() ? std::string("nothing more")
                                          : "page " + std::to_string(m_steps.front().templateId))
                      << "; cancelling it";
        (void)EndDialog(dialog, IDCANCEL);
        return;
    }
    PageStep next = std::move(m_steps.front());
    m_steps.pop_front();
    next.step(page);
}

int ScriptedHost::ShowMessageBox(const std::string& text, const std::string& caption, UINT style)
{
    m_messages.push_back({ text, caption, style });
    const UINT buttons = style & 0x0F;
    if (buttons == MB_OK || buttons == 0) {
        // A plain message needs no answer; one queued anyway is taken as the button pressed.
        if (!m_answers.empty() && m_answers.front() == IDOK)
            m_answers.pop_front();
        return IDOK;
    }
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return buttons == MB_YESNO ? IDNO : IDCANCEL;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedHost::BrowseForFolder(HWND, const std::string& title, UINT flags)
{
    m_folderRequests.push_back({ title, flags });
    if (m_folders.empty()) {
        ADD_FAILURE() << "unexpected folder browser: " << title;
        return std::nullopt;
    }
    std::optional<std::string> path = m_folders.front();
    m_folders.pop_front();
    return path;
}

bool ScriptedHost::OpenFile(HWND, const std::string& filter, DWORD flags, std::string& path)
{
    m_openFileFilters.push_back(filter);
    if (m_openFiles.empty()) {
        ADD_FAILURE() << "unexpected open-file dialog";
        return false;
    }
    std::optional<std::string> answer = m_openFiles.front();
    m_openFiles.pop_front();
    if (!answer)
        return false;
    path = *answer;
    // The system's dialog leaves the current directory in the folder of the chosen file unless
    // asked not to; do the same, so that tests see what the program does about it.
    const std::size_t cut = path.find_last_of('\\');
    if (!(flags & OFN_NOCHANGEDIR) && cut != std::string::npos)
        (void)SetCurrentDirectoryA(path.substr(0, cut == 2 ? 3 : cut).c_str());
    return true;
}

bool ScriptedHost::Start(const std::string& commandLine, DWORD creationFlags)
{
    m_processEvents.push_back("start " + commandLine);
    m_processFlags.push_back(creationFlags);
    return true;
}

void ScriptedHost::Sleep(DWORD milliseconds)
{
    m_processEvents.push_back("sleep " + std::to_string(milliseconds));
}
