// Waits, deadlines and the transition, on the virtual clock with scripted touches.
#include <gtest/gtest.h>

#include <vector>

#include "core/messages.h"
#include "core/timing.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"

namespace {
class TimingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SelectBackend(Backend::Headless);
        HeadlessResetInput();
        PlatformRegisterClass("BRINDLEMARK", MainWindowProc);
        ClockUseVirtual(100000, 1);
        TouchPoint = {-1, -1};
    }
    void TearDown() override {
        HeadlessResetInput();
        ClockUseReal();
    }
};

TEST_F(TimingTest, WaitPumpingZeroPumpsOnceAndReturns) {
    HeadlessPostMessage(MakePressMessage(10, 20));
    uint64_t before = HeadlessMessagesTaken();
    uint32_t start = timeGetTime();
    WaitPumping(0);
    EXPECT_EQ(HeadlessMessagesTaken(), before + 1);
    EXPECT_EQ(TouchPoint.x, 10);
    EXPECT_EQ(TouchPoint.y, 20);
    EXPECT_LT(timeGetTime() - start, 10u);
}

TEST_F(TimingTest, WaitPumpingPumpsEvery250Milliseconds) {
    std::vector<uint32_t> peeks;
    HeadlessSetPressSource([&](uint32_t now, int16_t&, int16_t&) {
        peeks.push_back(now);
        return false;
    });
    uint32_t start = timeGetTime();
    WaitPumping(1000);
    ASSERT_EQ(peeks.size(), 4u);  // at 0, 250, 500, 750
    for (size_t i = 1; i < peeks.size(); ++i) {
        EXPECT_GE(peeks[i] - peeks[i - 1], 250u);
        EXPECT_LE(peeks[i] - peeks[i - 1], 260u);
    }
    EXPECT_GE(timeGetTime() - start, 1000u);
}

TEST_F(TimingTest, WaitOrTouchDiscardsEarlierTouchAndStopsAtNewOne) {
    HeadlessPostMessage(MakePressMessage(5, 5));  // made before the wait: thrown away
    uint32_t start = timeGetTime();
    HeadlessSchedulePress(start + 300, 123, 456);
    WaitOrTouch(5000);
    uint32_t took = timeGetTime() - start;
    EXPECT_EQ(TouchPoint.x, 123);  // the touch that ended the wait stays pending
    EXPECT_EQ(TouchPoint.y, 456);
    EXPECT_GE(took, 300u);
    EXPECT_LT(took, 320u);
}

TEST_F(TimingTest, WaitOrTouchRunsOutWithoutTouch) {
    HeadlessPostMessage(MakePressMessage(5, 5));
    uint32_t start = timeGetTime();
    WaitOrTouch(700);
    EXPECT_EQ(TouchPoint.x, -1);
    EXPECT_GE(timeGetTime() - start, 700u);
}

TEST_F(TimingTest, WaitDiscardingInputKeepsOnlyTouchOfLastSlice) {
    // First run: learn when the wait last looks at the queue.
    uint32_t start = timeGetTime();
    uint32_t lastPeek = 0;
    HeadlessSetPressSource([&](uint32_t now, int16_t&, int16_t&) {
        lastPeek = now;
        return false;
    });
    WaitDiscardingInput(200);
    uint32_t end = timeGetTime();
    HeadlessSetPressSource(nullptr);
    EXPECT_GE(lastPeek - start, 180u);  // the last look starts the final 20 ms slice
    EXPECT_GE(end - start, 200u);

    // A touch early in the wait is lost.
    ClockUseVirtual(100000, 1);
    start = timeGetTime();
    HeadlessSchedulePress(start + 100, 1, 1);
    WaitDiscardingInput(200);
    PumpMessages();
    EXPECT_EQ(TouchPoint.x, -1);

    // A touch after the final slice began survives the wait.
    ClockUseVirtual(100000, 1);
    start = timeGetTime();
    HeadlessSchedulePress(lastPeek + 1, 77, 88);
    WaitDiscardingInput(200);
    PumpMessages();
    EXPECT_EQ(TouchPoint.x, 77);
    EXPECT_EQ(TouchPoint.y, 88);
}

TEST_F(TimingTest, WaitDiscardingInputUsesLow16BitsOfItsArgument) {
    uint32_t start = timeGetTime();
    WaitDiscardingInput(65536 + 100);
    uint32_t took = timeGetTime() - start;
    EXPECT_GE(took, 100u);
    EXPECT_LT(took, 200u);
}

TEST_F(TimingTest, DeadlinesCompareUnsignedAcrossTheWrap) {
    ClockUseVirtual(0xFFFFFFF0u, 0);
    Deadline d;
    SetDeadline(d, 100);  // wraps to a small value: passes at once
    EXPECT_EQ(d, 0x54u);
    EXPECT_TRUE(DeadlinePassed(d));
    SetDeadline(d, 5);
    EXPECT_FALSE(DeadlinePassed(d));
    ClockAdvance(5);
    EXPECT_TRUE(DeadlinePassed(d));
    StampNow(d);
    EXPECT_TRUE(DeadlinePassed(d));
    // A wait that straddles the wrap ends early.
    ClockUseVirtual(0xFFFFFFF0u, 1);
    uint32_t start = timeGetTime();
    WaitPumping(1000);
    EXPECT_LT(timeGetTime() - start, 100u);
}

TEST_F(TimingTest, ZeroLengthTransitionDrawsOneFrameAtFullScale) {
    std::vector<uint32_t> frames;
    StartTransition(0);
    do {
        frames.push_back(TransitionProgress(100));
    } while (!TransitionDone());
    EXPECT_EQ(frames, std::vector<uint32_t>{100});
}

TEST_F(TimingTest, TransitionRunsFromZeroToScaleReachingItOnlyAtTheEnd) {
    ClockUseVirtual(5000, 0);
    std::vector<uint32_t> frames;
    StartTransition(1000);
    do {
        frames.push_back(TransitionProgress(15));
        ClockAdvance(16);
    } while (!TransitionDone());
    ASSERT_GE(frames.size(), 60u);
    EXPECT_EQ(frames.front(), 0u);
    EXPECT_EQ(frames.back(), 15u);
    for (size_t i = 0; i + 1 < frames.size(); ++i) {
        EXPECT_LT(frames[i], 15u) << "frame " << i;
        EXPECT_LE(frames[i], frames[i + 1]);
    }
}

TEST_F(TimingTest, TransitionDoneAnswersFalseWhenItFirstFindsTheTimeUp) {
    ClockUseVirtual(0, 0);
    StartTransition(50);
    ClockAdvance(60);
    EXPECT_FALSE(TransitionDone());  // so that the last frame is still drawn
    EXPECT_TRUE(TransitionDone());
}
}  // namespace
