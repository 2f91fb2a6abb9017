// Button lists and waits, driven headless with the virtual clock and scripted touches; the
// screens the waits redraw are played by recording stand-ins.
#include <gtest/gtest.h>

#include <vector>

#include "core/messages.h"
#include "credit/link.h"
#include "game/answer_clock.h"
#include "game/buttons.h"
#include "game/session.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "shell/main_window.h"
#include "support/headless_start.h"

namespace {
struct FakeScreens {
    uint16_t credit = 0;
    uint16_t bank = 0;
    int passes = 0;
    int jokers = 0;
    std::vector<int32_t> timeLeft;  // answers of successive AnswerTimeLeft calls; last repeats
    size_t timeCalls = 0;
    int menuFrames = 0;
    int creditPanels = 0;
    int questionRedraws = 0;
    int finalRedraws = 0;
};
FakeScreens gFake;
ButtonScreens gScreens;

class ButtonWaitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartHeadlessClock(100000);
        ASSERT_TRUE(CreateMainWindow());
        FlushInput();
        GameStake = 50;
        gFake = FakeScreens{};
        gFake.timeLeft = {20000};
        gScreens = ButtonScreens{};
        gScreens.endAsked = [] { return false; };
        gScreens.drawMenuFrame = [] { ++gFake.menuFrames; };
        gScreens.currentCredit = [] { return gFake.credit; };
        gScreens.currentBank = [] { return gFake.bank; };
        gScreens.drawCreditPanel = [] { ++gFake.creditPanels; };
        gScreens.redrawQuestionScreen = [] { ++gFake.questionRedraws; };
        gScreens.redrawFinalQuestionScreen = [] { ++gFake.finalRedraws; };
        gScreens.passesLeft = [] { return static_cast<int32_t>(gFake.passes); };
        gScreens.jokersLeft = [] { return static_cast<int32_t>(gFake.jokers); };
        gScreens.answerTimeLeft = [] {
            size_t i = gFake.timeCalls++;
            return i < gFake.timeLeft.size() ? gFake.timeLeft[i] : gFake.timeLeft.back();
        };
    }
    void TearDown() override {
        HeadlessResetInput();
        ClockUseReal();
    }
    // Queues a press that the next pump delivers.
    static void PressNow(int16_t x, int16_t y) { HeadlessPostMessage(MakePressMessage(x, y)); }
};

// Index of the menu button a single poll finds for a touch at (x, y), with money enough to play.
int32_t MenuHitAt(int16_t x, int16_t y) {
    BeginButtonWait(MenuButtons);
    HeadlessPostMessage(MakePressMessage(x, y));
    return PollButtons(MenuButtons, gScreens);
}
}  // namespace

TEST_F(ButtonWaitTest, ListsEndWithTheirZeroRow) {
    EXPECT_EQ(CountButtons(MenuButtons), 4);
    EXPECT_EQ(CountButtons(TrueFalseJokerButtons), 4);
    EXPECT_EQ(CountButtons(TrueFalseButtons), 2);
    EXPECT_EQ(CountButtons(nullptr), 0);
    for (const ScreenButton* end :
         {&MenuButtons[4], &TrueFalseJokerButtons[4], &TrueFalseButtons[2]}) {
        EXPECT_EQ(end->x | end->y | end->width | end->height, 0);
    }
}

TEST_F(ButtonWaitTest, MenuEdgesAreHalfOpen) {
    gFake.credit = 30;
    gFake.bank = 20;
    EXPECT_EQ(MenuHitAt(609, 390), 2);   // top-left corner of Start
    EXPECT_EQ(MenuHitAt(793, 577), 2);   // last pixel inside Start
    EXPECT_EQ(MenuHitAt(794, 390), -1);  // x + width is outside
    EXPECT_EQ(MenuHitAt(609, 578), -1);  // y + height is outside
    EXPECT_EQ(MenuHitAt(608, 400), -1);
    EXPECT_EQ(MenuHitAt(700, 300), 3);  // Start2
    EXPECT_EQ(MenuHitAt(0, 449), 0);
    EXPECT_EQ(MenuHitAt(184, 577), 0);
    EXPECT_EQ(MenuHitAt(309, 449), 1);
    EXPECT_EQ(MenuHitAt(308, 500), -1);
}

TEST_F(ButtonWaitTest, LastContainingButtonWins) {
    static const ScreenButton overlapping[] = {{" Big", 0, 0, 100, 100},
                                               {" Small", 40, 40, 10, 10},
                                               {" Other", 200, 0, 5, 5},
                                               {nullptr, 0, 0, 0, 0}};
    BeginButtonWait(overlapping);
    PressNow(45, 45);
    EXPECT_EQ(PollButtons(overlapping, gScreens), 1);
    PressNow(10, 10);
    EXPECT_EQ(PollButtons(overlapping, gScreens), 0);
}

TEST_F(ButtonWaitTest, StartNeedsTheStakeAndShortTouchesAreThrownAway) {
    gFake.credit = 30;
    gFake.bank = 20;
    EXPECT_EQ(MenuHitAt(650, 450), 2);
    EXPECT_EQ(TouchPoint.x, -1) << "a chosen button consumes its touch";

    gFake.bank = 19;
    for (auto [x, y] : {std::pair<int16_t, int16_t>{650, 450}, {700, 300}}) {
        BeginButtonWait(MenuButtons);
        PressNow(x, y);
        EXPECT_EQ(PollButtons(MenuButtons, gScreens), -1);
        EXPECT_EQ(TouchPoint.x, -1) << "the short start touch is discarded";
        EXPECT_EQ(gButtonWait.result, -1);
    }
    // Main Menu and Rules work with no money at all.
    gFake.credit = gFake.bank = 0;
    EXPECT_EQ(MenuHitAt(10, 500), 0);
    EXPECT_EQ(MenuHitAt(400, 500), 1);
}

TEST_F(ButtonWaitTest, TouchesBeforeTheWaitAndOutsideButtonsDoNotEndIt) {
    gFake.credit = 100;
    PressNow(650, 450);  // pending before the wait: discarded by it
    BeginButtonWait(MenuButtons);
    EXPECT_EQ(PollButtons(MenuButtons, gScreens), -1);

    PressNow(300, 100);  // no button there: stays pending and is tested again
    for (int i = 0; i < 3; ++i) EXPECT_EQ(PollButtons(MenuButtons, gScreens), -1);
    EXPECT_EQ(TouchPoint.x, 300);
    EXPECT_EQ(TouchPoint.y, 100);
    PressNow(20, 500);  // a new press replaces it
    EXPECT_EQ(PollButtons(MenuButtons, gScreens), 0);
}

TEST_F(ButtonWaitTest, MenuWaitGivesUpAfterThirtySecondsAsMainMenu) {
    uint32_t began = timeGetTime();
    PressNow(300, 100);  // a touch on no button does not keep the menu alive
    HeadlessSchedulePress(began + 5000, 300, 100);
    EXPECT_EQ(WaitMenuButton(gScreens), 0);
    uint32_t ended = timeGetTime();
    EXPECT_GE(ended - began, static_cast<uint32_t>(MenuIdleMs));
    EXPECT_LT(ended - began, static_cast<uint32_t>(MenuIdleMs) + 100);
    // Every poll redraws the menu frame, and polls are paced by the present.
    EXPECT_GT(gFake.menuFrames, 30000 / 20);
    EXPECT_LE(gFake.menuFrames, 30000 / 15 + 1);

    // The idle rule overrides whatever was touched in the same poll.
    gFake.credit = 100;
    BeginButtonWait(MenuButtons);
    ClockAdvance(MenuIdleMs);
    PressNow(650, 450);
    EXPECT_EQ(PollButtons(MenuButtons, gScreens), 0);
}

TEST_F(ButtonWaitTest, CreditPanelIsRedrawnWhenTheCreditChanges) {
    gFake.credit = 20;
    BeginButtonWait(MenuButtons);
    EXPECT_EQ(PollButtons(MenuButtons, gScreens), -1);
    EXPECT_EQ(gFake.creditPanels, 1) << "the first poll draws the credit";
    EXPECT_EQ(PollButtons(MenuButtons, gScreens), -1);
    EXPECT_EQ(gFake.creditPanels, 1) << "an unchanged credit is not redrawn";
    gFake.credit = 70;
    EXPECT_EQ(PollButtons(MenuButtons, gScreens), -1);
    EXPECT_EQ(gFake.creditPanels, 2);
    EXPECT_EQ(gButtonWait.lastCreditShown, 70);
    // Once the total reaches the stake, Start works.
    HeadlessSchedulePress(timeGetTime() + 100, 650, 450);
    EXPECT_EQ(WaitForButton(MenuButtons, gScreens), 2);
}

TEST_F(ButtonWaitTest, HelpsMustBeThereToBePlayed) {
    gFake.passes = 0;
    gFake.jokers = 0;
    BeginButtonWait(TrueFalseJokerButtons);
    PressNow(10, 470);  // Pass
    EXPECT_EQ(PollButtons(TrueFalseJokerButtons, gScreens), -1);
    EXPECT_EQ(TouchPoint.x, -1) << "the refused help's touch is flushed";
    PressNow(700, 500);  // Joker
    EXPECT_EQ(PollButtons(TrueFalseJokerButtons, gScreens), -1);
    EXPECT_EQ(TouchPoint.x, -1);
    PressNow(493, 440);  // True always counts
    EXPECT_EQ(PollButtons(TrueFalseJokerButtons, gScreens), 0);
    PressNow(559, 579);  // False, last pixel
    EXPECT_EQ(PollButtons(TrueFalseJokerButtons, gScreens), 1);

    gFake.passes = 2;
    gFake.jokers = 1;
    PressNow(10, 470);
    EXPECT_EQ(PollButtons(TrueFalseJokerButtons, gScreens), 2);
    PressNow(791, 587);
    EXPECT_EQ(PollButtons(TrueFalseJokerButtons, gScreens), 3);
    EXPECT_EQ(gFake.questionRedraws, 6);
    EXPECT_EQ(gFake.finalRedraws, 0);
}

TEST_F(ButtonWaitTest, FinalStageHasOnlyTrueAndFalse) {
    gFake.passes = 2;
    gFake.jokers = 1;
    BeginButtonWait(TrueFalseButtons);
    PressNow(10, 470);  // where Pass would be
    EXPECT_EQ(PollButtons(TrueFalseButtons, gScreens), -1);
    EXPECT_EQ(TouchPoint.x, 10) << "a touch on no button stays pending";
    PressNow(500, 520);
    EXPECT_EQ(PollButtons(TrueFalseButtons, gScreens), 1);
    EXPECT_EQ(gFake.finalRedraws, 2);
    EXPECT_EQ(gFake.questionRedraws, 0);
}

TEST_F(ButtonWaitTest, TimeUpOnlyWhenTheClockReadsExactlyZero) {
    // The clock's first look past the end reads negative; the wait ends on the next poll.
    gFake.timeLeft = {40, 15, -3, 0};
    gFake.timeCalls = 0;
    EXPECT_EQ(WaitTrueFalseJokerButton(gScreens), AnswerTimeUp);
    EXPECT_EQ(gFake.timeCalls, 4u);
    EXPECT_EQ(gFake.questionRedraws, 4);

    gFake.timeLeft = {-1, 0};
    gFake.timeCalls = 0;
    EXPECT_EQ(WaitTrueFalseButton(gScreens), AnswerTimeUp);
    EXPECT_EQ(gFake.timeCalls, 2u);
    EXPECT_EQ(gButtonWait.result, AnswerTimeUp);
}

TEST_F(ButtonWaitTest, TimeUpWinsOverATouchInTheSamePoll) {
    gFake.timeLeft = {0};
    BeginButtonWait(TrueFalseButtons);
    PressNow(500, 450);
    EXPECT_EQ(PollButtons(TrueFalseButtons, gScreens), AnswerTimeUp);
    EXPECT_EQ(TouchPoint.x, 500) << "the time-out does not consume the touch";
}

TEST_F(ButtonWaitTest, QuestionWaitsNeverTimeOutOnTheMenuIdleRule) {
    gFake.timeLeft = {1};
    BeginButtonWait(TrueFalseJokerButtons);
    ClockAdvance(MenuIdleMs * 2);
    EXPECT_EQ(PollButtons(TrueFalseJokerButtons, gScreens), -1);
    HeadlessSchedulePress(timeGetTime() + 50, 520, 530);
    EXPECT_EQ(WaitTrueFalseJokerButton(gScreens), 1);
}

TEST_F(ButtonWaitTest, RealAnswerClockAndHelpCountsEndTheQuestionWait) {
    gScreens.passesLeft = [] { return static_cast<int32_t>(gGameSession.PassesLeft); };
    gScreens.jokersLeft = [] { return static_cast<int32_t>(gGameSession.JokersLeft); };
    gScreens.answerTimeLeft = AnswerTimeLeft;

    gGameSession.PassesLeft = 1;
    gGameSession.JokersLeft = 0;
    ArmAnswerClock(AnswerTimeMs);
    RunAnswerClock();
    uint32_t began = timeGetTime();
    HeadlessSchedulePress(began + 1000, 700, 500);  // Joker, none left: ignored
    HeadlessSchedulePress(began + 2000, 10, 470);   // Pass
    EXPECT_EQ(WaitTrueFalseJokerButton(gScreens), 2);
    EXPECT_GE(timeGetTime() - began, 2000u);
    EXPECT_LT(timeGetTime() - began, 2100u);

    // Left alone, the wait ends when the clock has run out: never before, and within a poll.
    ArmAnswerClock(AnswerTimeMs);
    RunAnswerClock();
    began = timeGetTime();
    EXPECT_EQ(WaitTrueFalseButton(gScreens), AnswerTimeUp);
    EXPECT_GE(timeGetTime() - began, static_cast<uint32_t>(AnswerTimeMs));
    EXPECT_LT(timeGetTime() - began, static_cast<uint32_t>(AnswerTimeMs) + 50);
}
