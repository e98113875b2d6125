// The keys of a question that opens on its safe answer.
#include "window/LossQuestion.h"

namespace dravo {

std::optional<MessageBoxResult> LossQuestion::Key(QuestionKey key) {
    switch (key) {
    case QuestionKey::Enter:
        return m_OnYes ? MessageBoxResult::Yes : MessageBoxResult::No;
    case QuestionKey::Left:
        m_OnYes = true;
        return std::nullopt;
    case QuestionKey::Right:
        m_OnYes = false;
        return std::nullopt;
    case QuestionKey::Escape:
    case QuestionKey::Interrupt:
    case QuestionKey::AltNo:
        m_OnYes = false;
        return MessageBoxResult::No;
    case QuestionKey::Other:
        break;
    }
    m_OnYes = false; // typing goes on: whatever it was meant for, it was not this question
    return std::nullopt;
}

QuestionKey LossQuestion::AltLetter(char letter) {
    return letter == 'n' || letter == 'N' ? QuestionKey::AltNo : QuestionKey::Other;
}

} // namespace dravo
