#include "cli/install/AnsweringService.h"

#include "engine/InstallQuestions.h"

namespace {

// A box's lines on one line of the console.
std::string OneLine(const std::string& text)
{
    std::string line;
    for (const char c : text)
        line += c == '\n' ? std::string(" / ") : std::string(1, c);
    return line;
}

} // namespace

AnsweringService::AnsweringService(EventLog& log, bool createFolders, bool restartServer)
    : m_log(log)
    , m_createFolders(createFolders)
    , m_restartServer(restartServer)
    , m_previous(SetMessageService(this))
{ }

AnsweringService::~AnsweringService()
{
    (void)SetMessageService(m_previous);
}

int AnsweringService::Show(const std::string& text, const std::string&, UINT style)
{
    if ((style & 0x0F) == MB_YESNO) {
        bool yes = false;
        if (IsCreateFolderQuestion(text))
            yes = m_createFolders;
        else if (text == kRestartQuestion) {
            yes = m_restartServer;
            m_restartDeclined = !yes;
        }
        m_log.Write(AnswerEvent { .question = text, .yes = yes }, OneLine(text) + " " + (yes ? "yes" : "no"));
        return yes ? IDYES : IDNO;
    }
    if (text == kSetupAbortedMessage)
        m_aborted = true;
    m_log.Write(MessageEvent { .text = text }, OneLine(text));
    return IDOK;
}
