// The question screen's parts on their own: the help buttons' count-down and the answer clock's
// picture and warning.
#include <gtest/gtest.h>

#include "game/answer_clock.h"
#include "game/helps.h"
#include "game/question_round.h"
#include "game/session.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "support/game_harness.h"

namespace {
class ScreensTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartGameHarness(99);
        PrepareGameSession();
    }
    void TearDown() override { StopGameHarness(); }

    // Frames drawn of one picture, in order.
    std::vector<int32_t> FramesOf(const std::string& path) const {
        std::vector<int32_t> frames;
        for (const auto& [p, f] : gOutsideLog.keyedDraws)
            if (p == path) frames.push_back(f);
        return frames;
    }
    static constexpr const char* Skip = "Graphic_resource//Main//skip.bmp";
    static constexpr const char* Joker = "Graphic_resource//Main//joker.bmp";
};
}  // namespace

TEST_F(ScreensTest, SpendingTheOnlyPassCountsDownAndShowsNoneLeft) {
    gGameSession.PassesLeft = 1;
    UpdatePassCounter(1, false);
    EXPECT_EQ(FramesOf(Skip), (std::vector<int32_t>{2, 1, 1}));
    EXPECT_EQ(gGameSession.PassesLeft, 0);
}

TEST_F(ScreensTest, SpendingOneOfTwoPassesLeavesOne) {
    gGameSession.PassesLeft = 2;
    UpdatePassCounter(1, false);
    EXPECT_EQ(FramesOf(Skip), (std::vector<int32_t>{3, 2, 2}));
    EXPECT_EQ(gGameSession.PassesLeft, 1);
    UpdatePassCounter(0, false);  // only redraws
    EXPECT_EQ(FramesOf(Skip), (std::vector<int32_t>{3, 2, 2, 2, 2}));
    EXPECT_EQ(gGameSession.PassesLeft, 1);
}

TEST_F(ScreensTest, SpendingMoreThanThereIsLeavesNoneInsteadOfWrapping) {
    gGameSession.JokersLeft = 1;
    UpdateJokerCounter(3, false);
    EXPECT_EQ(gGameSession.JokersLeft, 0);
    EXPECT_EQ(FramesOf(Joker), (std::vector<int32_t>{2, 1, 1}));
    UpdateJokerCounter(1, false);
    EXPECT_EQ(gGameSession.JokersLeft, 0);
    EXPECT_EQ(FramesOf(Joker).back(), 1);
}

TEST_F(ScreensTest, CountersAreNotDrawnOnceTheGameIsLost) {
    gGameSession.PassesLeft = 1;
    SetGameState(GameLost);
    UpdatePassCounter(1, false);
    UpdateJokerCounter(0, false);
    EXPECT_TRUE(FramesOf(Skip).empty());
    EXPECT_TRUE(FramesOf(Joker).empty());
    EXPECT_EQ(gGameSession.PassesLeft, 1);
}

TEST(AnswerClockWarning, StartsBelowSixSecondsAndStopsWhenTheTimeIsOut) {
    EXPECT_FALSE(ClockWarningShows(6000));
    EXPECT_TRUE(ClockWarningShows(5999));
    EXPECT_TRUE(ClockWarningShows(1));
    EXPECT_FALSE(ClockWarningShows(0));
    EXPECT_FALSE(ClockWarningShows(-20));
    EXPECT_FALSE(ClockWarningShows(20000));
}

TEST_F(ScreensTest, TheClockDrawsTheWarningStripOnlyInItsLastSeconds) {
    ArmAnswerClock(AnswerTimeMs);
    RunAnswerClock();
    ClockAdvance(10000);  // about 10 s left
    DrawAnswerClock();
    EXPECT_EQ(gOutsideLog.warningStrips, 0);
    EXPECT_EQ(gOutsideLog.Count(5), 0);
    ClockAdvance(6000);  // about 4 s left: the first flip lights it with a tick
    DrawAnswerClock();
    EXPECT_EQ(gOutsideLog.warningStrips, 1);
    EXPECT_TRUE(gAnswerClock.warnOn);
    EXPECT_EQ(gOutsideLog.Count(5), 1);
    ClockAdvance(300);  // the next flip puts it out, without a tick
    DrawAnswerClock();
    EXPECT_EQ(gOutsideLog.warningStrips, 2);
    EXPECT_FALSE(gAnswerClock.warnOn);
    EXPECT_EQ(gOutsideLog.Count(5), 1);
}

TEST_F(ScreensTest, AClockWithNoTimeLeftDrawsNoWarning) {
    ArmAnswerClock(AnswerTimeMs);
    RunAnswerClock();
    ClockAdvance(20500);
    DrawAnswerClock();
    DrawAnswerClock();
    EXPECT_EQ(gOutsideLog.warningStrips, 0);
    EXPECT_EQ(AnswerTimeLeft(), 0);
}
