// Touches on the question screen while it is being redrawn: a press that reaches the window
// during the redraw counts at the next poll, and only the touch already tested is forgotten.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "game/buttons.h"
#include "game/question_round.h"
#include "game/session.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "support/game_harness.h"

namespace {
class QuestionTouchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartGameHarness(7);
        PrepareGameSession();
        HeadlessSetPressSource(nullptr);  // only the presses each test posts
    }
    void TearDown() override { StopGameHarness(); }
};

// The centre of the main rounds' True button.
WindowMessage PressOnTrue() {
    const ScreenButton& b = TrueFalseJokerButtons[0];
    int16_t x = static_cast<int16_t>(b.x + b.width / 2);
    int16_t y = static_cast<int16_t>(b.y + b.height / 2);
    return MakePressMessage(x, y);
}
}  // namespace

TEST_F(QuestionTouchTest, APressArrivingDuringTheRedrawIsKeptForTheNextPoll) {
    HeadlessPostMessage(PressOnTrue());  // waiting in the queue while the screen is drawn
    RedrawQuestionScreen();
    PumpMessages();
    const ScreenButton& b = TrueFalseJokerButtons[0];
    EXPECT_TRUE(ButtonContains(b, TouchPoint.x, TouchPoint.y))
        << "the press was thrown away: (" << TouchPoint.x << ", " << TouchPoint.y << ")";
}

TEST_F(QuestionTouchTest, ATouchAlreadyTestedIsForgottenByTheRedraw) {
    TouchPoint = {300, 200};  // a touch on the grid, tested by this poll and matching nothing
    RedrawQuestionScreen();
    EXPECT_EQ(TouchPoint.x, -1);
    EXPECT_EQ(TouchPoint.y, -1);
}
