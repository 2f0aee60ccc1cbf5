// Drives the whole program in tests: a script of the user's turns, page by page in the order the
// pages must appear, answers for message boxes, folder browsers and open-file dialogs, and the
// record of every message shown. A page that is not the one the script expects, a page left open
// after its script, or a question without an answer fails the test and cancels, so a test never
// hangs.
#pragma once

#include "MessageRecorder.h"

#include "platform/posix/windows/DialogHost.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The displayed page as a step sees it: read any control, act as the user would.
class PageView {
public:
    PageView(HWND dialog, int templateId)
        : m_dialog(dialog)
        , m_templateId(templateId)
    { }

    int TemplateId() const { return m_templateId; }
    HWND Handle() const { return m_dialog; }
    std::string Caption() const;
    std::string Text(int id) const;
    bool Visible(int id) const;
    bool Enabled(int id) const;
    int Check(int id) const;
    std::vector<std::string> Items(int id) const;
    int Selection(int id) const;
    int ProgressPosition(int id) const;
    bool Shown() const; // the page itself

    // Each fails the test when the user could not do it (hidden, disabled or read-only control).
    void Type(int id, const std::string& text);
    void Click(int id);
    void Select(int id, int row);
    // Enter presses the page's default push button, when it is enabled.
    void PressEnter();
    void PressEscape();
    void CloseBox();
    void SystemCommand(UINT command);
    // Minimizes the page (by other means than a minimize box, which it lacks) and has it repainted.
    void MinimizeAndPaint();

private:
    HWND Control(int id) const;

    HWND m_dialog;
    int m_templateId;
};

// The three ways a user cancels a page: its "Cancel" (control 2), Esc and the close box.
struct PageExit {
    const char* how;
    void (*leave)(PageView&);
};
extern const PageExit kCancelExits[3];

class ScriptedHost : public posix::DialogHost, public posix::ProcessService {
public:
    ScriptedHost(); // becomes the dialog host and the message service
    ~ScriptedHost() override; // fails the test for steps and answers never used

    using Step = std::function<void(PageView&)>;
    // The user's next turn happens on the page with this template.
    void OnPage(int templateId, Step step);
    void AnswerMessage(int button);
    // The folder the user picks; an empty text picks an item without a file-system path, nothing
    // cancels the browser.
    void AnswerFolder(std::optional<std::string> path);
    void AnswerOpenFile(std::optional<std::string> path);

    const std::vector<ShownMessage>& Messages() const { return m_messages; }
    std::vector<std::string> MessageTexts() const;
    // Template of every user turn, in order.
    const std::vector<int>& Turns() const { return m_turns; }
    struct BrowseRequest {
        std::string title;
        UINT flags;
    };
    const std::vector<BrowseRequest>& FolderRequests() const { return m_folderRequests; }
    const std::vector<std::string>& OpenFileFilters() const { return m_openFileFilters; }

    // Every process started and every wait, in order: "start <command line>" or "sleep <ms>".
    const std::vector<std::string>& ProcessEvents() const { return m_processEvents; }
    std::vector<DWORD> ProcessFlags() const { return m_processFlags; }

    void UserTurn(HWND dialog, int templateId) override;
    bool Start(const std::string& commandLine, DWORD creationFlags) override;
    void Sleep(DWORD milliseconds) override;
    int ShowMessageBox(const std::string& text, const std::string& caption, UINT style) override;
    std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title, UINT flags) override;
    bool OpenFile(HWND owner, const std::string& filter, DWORD flags, std::string& path) override;

private:
    struct PageStep {
        int templateId;
        Step step;
    };
    posix::DialogHost* m_previousHost;
    posix::ProcessService* m_previousProcesses;
    std::vector<std::string> m_processEvents;
    std::vector<DWORD> m_processFlags;
    MessageService* m_previousService;
    class ServiceAdapter : public MessageService {
    public:
        explicit ServiceAdapter(ScriptedHost& host)
            : m_host(host)
        { }
        int Show(const std::string& text, const std::string& caption, UINT style) override
        {
            return m_host.ShowMessageBox(text, caption, style);
        }

    private:
        ScriptedHost& m_host;
    } m_service { *this };
    std::deque<PageStep> m_steps;
    std::deque<int> m_answers;
    std::deque<std::optional<std::string>> m_folders;
    std::deque<std::optional<std::string>> m_openFiles;
    std::vector<ShownMessage> m_messages;
    std::vector<int> m_turns;
    std::vector<BrowseRequest> m_folderRequests;
    std::vector<std::string> m_openFileFilters;
};
