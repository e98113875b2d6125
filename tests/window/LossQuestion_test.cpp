// The keys of a question whose Yes loses something, as every face takes them.
#include "window/LossQuestion.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(LossQuestion, OpensOnNoAndYesTakesLeftThenEnterWithNothingBetween) {
    LossQuestion question;
    EXPECT_EQ(question.FocusId(), QUESTION_ID_NO);
    EXPECT_EQ(question.Key(QuestionKey::Enter), MessageBoxResult::No);

    EXPECT_EQ(question.Key(QuestionKey::Left), std::nullopt);
    EXPECT_EQ(question.FocusId(), QUESTION_ID_YES);
    EXPECT_EQ(question.Key(QuestionKey::Left), std::nullopt); // Left again stays on Yes
    EXPECT_EQ(question.Key(QuestionKey::Enter), MessageBoxResult::Yes);

    LossQuestion typedOn;
    (void)typedOn.Key(QuestionKey::Left);
    EXPECT_EQ(typedOn.Key(QuestionKey::Other), std::nullopt);
    EXPECT_EQ(typedOn.FocusId(), QUESTION_ID_NO) << "a key typed on puts the focus back on No";
    EXPECT_EQ(typedOn.Key(QuestionKey::Enter), MessageBoxResult::No);

    LossQuestion movedBack;
    (void)movedBack.Key(QuestionKey::Left);
    (void)movedBack.Key(QuestionKey::Right);
    EXPECT_EQ(movedBack.Key(QuestionKey::Enter), MessageBoxResult::No);
}

TEST(LossQuestion, EscCtrlCAndAltNAnswerNoEvenFromYes) {
    for (const QuestionKey key : {QuestionKey::Escape, QuestionKey::Interrupt, QuestionKey::AltNo}) {
        LossQuestion question;
        (void)question.Key(QuestionKey::Left);
        EXPECT_EQ(question.Key(key), MessageBoxResult::No);
    }
    EXPECT_EQ(LossQuestion::AltLetter('N'), QuestionKey::AltNo);
    EXPECT_EQ(LossQuestion::AltLetter('n'), QuestionKey::AltNo);
    EXPECT_EQ(LossQuestion::AltLetter('y'), QuestionKey::Other) << "Alt+Y is readline's yank-pop";
    EXPECT_EQ(LossQuestion::AltLetter('Y'), QuestionKey::Other);
}

} // namespace
} // namespace dravo
