#include <gtest/gtest.h>

#include <vector>

#include "game/answer_clock.h"
#include "platform/clock.h"
#include "platform/headless.h"

namespace {
class AnswerClockTest : public ::testing::TestWithParam<uint32_t> {
  protected:
    void SetUp() override {
        ClockUseVirtual(GetParam(), 0);
        ArmAnswerClock(AnswerTimeMs);
    }
    void TearDown() override { ClockUseReal(); }
};
}  // namespace

// Starts just before the wrap of the 32-bit clock as well as at an ordinary time.
INSTANTIATE_TEST_SUITE_P(StartTimes, AnswerClockTest,
                         ::testing::Values(1000u, 0xFFFFFFFFu - 5000u));

TEST_P(AnswerClockTest, TimeStandsUntilTheClockRunsThenCountsDown) {
    ClockAdvance(3000);
    EXPECT_EQ(AnswerTimeLeft(), 20000);
    RunAnswerClock();
    ClockAdvance(7500);
    EXPECT_EQ(AnswerTimeLeft(), 12500);
    RunAnswerClock();  // already running: the start stays
    ClockAdvance(500);
    EXPECT_EQ(AnswerTimeLeft(), 12000);
}

TEST_P(AnswerClockTest, RunningOutGivesANegativeValueOnceAndThenZero) {
    RunAnswerClock();
    ClockAdvance(20040);
    EXPECT_EQ(AnswerTimeLeft(), -40);
    EXPECT_EQ(AnswerTimeLeft(), 0);
    ClockAdvance(1000);
    EXPECT_EQ(AnswerTimeLeft(), 0);
    EXPECT_FALSE(gAnswerClock.running);
}

TEST_P(AnswerClockTest, ExactlyUsedUpReadsZeroAtOnce) {
    RunAnswerClock();
    ClockAdvance(20000);
    EXPECT_EQ(AnswerTimeLeft(), 0);
    EXPECT_EQ(AnswerTimeLeft(), 0);
}

TEST_P(AnswerClockTest, APauseFreezesTheTimeAndAResumeGoesOnFromThere) {
    RunAnswerClock();
    ClockAdvance(4000);
    PauseAnswerClock();
    ClockAdvance(10000);
    EXPECT_EQ(AnswerTimeLeft(), 16000);
    ResumeAnswerClock();
    EXPECT_EQ(AnswerTimeLeft(), 16000);
    ClockAdvance(6000);
    EXPECT_EQ(AnswerTimeLeft(), 10000);
    ClockAdvance(10001);
    EXPECT_EQ(AnswerTimeLeft(), -1);
    EXPECT_EQ(AnswerTimeLeft(), 0);
}

TEST_P(AnswerClockTest, AResumeAfterTheTimeRanOutEndsAtOnce) {
    RunAnswerClock();
    ClockAdvance(20010);
    EXPECT_EQ(AnswerTimeLeft(), -10);  // the poll that saw this took a touch instead
    PauseAnswerClock();
    ResumeAnswerClock();
    EXPECT_EQ(AnswerTimeLeft(), 0) << "the second try must not wait for ever";
}

TEST_P(AnswerClockTest, WarningTogglesFasterDownToEightyMsAndTicksOnEverySecondFlip) {
    std::vector<int32_t> intervals;
    int ticks = 0, flips = 0;
    // Each due toggle flips the warning and schedules the next one.
    for (int i = 0; i < 40; ++i) {
        bool tick = StepClockWarning();
        ++flips;
        ticks += tick ? 1 : 0;
        EXPECT_EQ(tick, gAnswerClock.warnOn);
        intervals.push_back(gAnswerClock.beepInterval);
        EXPECT_EQ(gAnswerClock.beepDue,
                  timeGetTime() + static_cast<uint32_t>(gAnswerClock.beepInterval));
        ClockAdvance(static_cast<uint32_t>(gAnswerClock.beepInterval) - 1);
        EXPECT_FALSE(StepClockWarning()) << "toggled before it was due";
        EXPECT_EQ(tick, gAnswerClock.warnOn);
        ClockAdvance(1);
    }
    EXPECT_EQ(ticks, flips / 2);
    ASSERT_GE(intervals.size(), 3u);
    EXPECT_EQ(intervals[0], 292);
    EXPECT_EQ(intervals[1], 284);
    EXPECT_EQ(intervals[2], 276);
    EXPECT_EQ(intervals[26], 84);
    EXPECT_EQ(intervals[27], 80);
    EXPECT_EQ(intervals.back(), 80);
}

TEST(AnswerClockFrames, FullTimeShowsTheFirstFrameAndTheLastSecondTheLast) {
    EXPECT_EQ(AnswerClockFrame(20000), 0);
    EXPECT_EQ(AnswerClockFrame(19999), 0);  // 19 s / 1.33 = 14.28 steps
    EXPECT_EQ(AnswerClockFrame(18700), 1);  // 18 s: 13.5 steps
    EXPECT_EQ(AnswerClockFrame(1999), 14);  // 1 s: 0.75 steps
    EXPECT_EQ(AnswerClockFrame(999), 14);
    EXPECT_EQ(AnswerClockFrame(2000), 13);  // 2 s: 1.5 steps
    EXPECT_EQ(AnswerClockFrame(-30), 14);
    EXPECT_EQ(AnswerClockFrame(60000), 0);
    int previous = 0;
    for (int32_t left = 20000; left >= 0; left -= 100) {
        int frame = AnswerClockFrame(left);
        EXPECT_GE(frame, previous) << "the timer picture went back at " << left;
        previous = frame;
    }
}
