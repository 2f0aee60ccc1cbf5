// Stands in for the user at message boxes: records every message and answers questions from a
// queue. A question without a queued answer fails the test and is answered No.
#pragma once

#include "platform/MessageService.h"

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string caption;
    UINT style = 0;
};

class MessageRecorder : public MessageService {
public:
    MessageRecorder(); // installs itself as the message service
    ~MessageRecorder() override; // restores the one before

    void Answer(int button) { m_answers.push_back(button); }
    const std::vector<ShownMessage>& Messages() const { return m_messages; }
    std::vector<std::string> Texts() const;

    int Show(const std::string& text, const std::string& caption, UINT style) override;

private:
    MessageService* m_previous = nullptr;
    std::deque<int> m_answers;
    std::vector<ShownMessage> m_messages;
};
