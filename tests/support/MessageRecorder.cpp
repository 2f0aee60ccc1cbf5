#include "MessageRecorder.h"

#include <gtest/gtest.h>

MessageRecorder::MessageRecorder()
    : m_previous(SetMessageService(this))
{ }

MessageRecorder::~MessageRecorder()
{
    SetMessageService(m_previous);
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " queued answer(s) were never asked for";
}

std::vector<std::string> MessageRecorder::Texts() const
{
    std::vector<std::string> texts;
    for (const ShownMessage& message : m_messages)
        texts.push_back(message.text);
    return texts;
}

int MessageRecorder::Show(const std::string& text, const std::string& caption, UINT style)
{
    m_messages.push_back({ text, caption, style });
    if ((style & 0x0F) != MB_YESNO)
        return IDOK;
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return IDNO;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}
