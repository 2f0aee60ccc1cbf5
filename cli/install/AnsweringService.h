// Answers the wizard's questions from the answers file, and logs every message the wizard would
// have shown in a box, so the same product code runs without a person.
#pragma once

#include "cli/log/EventLog.h"
#include "platform/MessageService.h"

class AnsweringService : public MessageService {
public:
    AnsweringService(EventLog& log, bool createFolders, bool restartServer);
    ~AnsweringService() override;
    AnsweringService(const AnsweringService&) = delete;
    AnsweringService& operator=(const AnsweringService&) = delete;

    int Show(const std::string& text, const std::string& caption, UINT style) override;

    // The restart question was asked and answered No.
    bool RestartDeclined() const { return m_restartDeclined; }
    // The installation stopped with "Setup has been aborted".
    bool Aborted() const { return m_aborted; }

private:
    EventLog& m_log;
    bool m_createFolders;
    bool m_restartServer;
    bool m_restartDeclined = false;
    bool m_aborted = false;
    MessageService* m_previous;
};
