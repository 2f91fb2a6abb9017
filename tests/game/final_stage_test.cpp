#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "core/random.h"
#include "game/final_stage.h"
#include "game/message_panel.h"

TEST(FinalStage, ResultPanelsByBigTeamsBeaten) {
    EXPECT_EQ(FinalResultPanel(1), 25);
    EXPECT_EQ(FinalResultPanel(2), 26);
    EXPECT_EQ(FinalResultPanel(3), 13);
    std::set<int32_t> losing;
    SeedRandom(5);
    for (int i = 0; i < 50; ++i) losing.insert(FinalResultPanel(0));
    EXPECT_EQ(losing, (std::set<int32_t>{24, 30}));
}

TEST(FinalStage, GradesGetHarderTowardsTheThirdTeamAndEasierInLowBands) {
    for (int band = 0; band < 7; ++band)
        for (int q = 1; q < 3; ++q) EXPECT_GE(FinalGrade(band, q), FinalGrade(band, q - 1));
    for (int q = 0; q < 3; ++q)
        for (int band = 1; band < 7; ++band)
            EXPECT_LE(FinalGrade(band, q), FinalGrade(band - 1, q));
    EXPECT_EQ(FinalGrade(0, 0), 3);
    EXPECT_EQ(FinalGrade(3, 0), 1);
    EXPECT_EQ(FinalGrade(3, 2), 3);
    EXPECT_EQ(FinalGrade(9, 5), FinalGrade(6, 2)) << "out-of-range band and team are held in";
    EXPECT_EQ(FinalGrade(-2, -1), FinalGrade(0, 0));
}

TEST(FinalStage, SlidingPicturesReachTheirTargetsFromAnyGridPlace) {
    for (const ScreenPoint& from : GridSlots) {
        for (const ScreenPoint& target : BigTeamTargets) {
            SlidingTeam slide = StartSlide(from, target);
            int frames = 0;
            while (!slide.arrived) {
                MoveSlide(slide);
                // Every drawn place lies on the way, at most one step beyond either end.
                EXPECT_GE(slide.x, std::min(from.x, target.x) - 8.0f);
                EXPECT_LE(slide.x, std::max(from.x, target.x) + 8.0f);
                EXPECT_GE(slide.y, std::min(from.y, target.y) - 8.0f);
                EXPECT_LE(slide.y, std::max(from.y, target.y) + 8.0f);
                CheckSlideArrival(slide);
                ASSERT_LT(++frames, 200) << "never arrived from " << from.x << "," << from.y;
            }
            EXPECT_EQ(static_cast<int32_t>(slide.x), target.x);
            EXPECT_EQ(static_cast<int32_t>(slide.y), target.y);
            // Eight pixels a frame: the frame count follows the distance.
            float dx = static_cast<float>(target.x - from.x),
                  dy = static_cast<float>(target.y - from.y);
            EXPECT_NEAR(frames, std::sqrt(dx * dx + dy * dy) / 8.0f, 2.5f);
            MoveSlide(slide);
            EXPECT_EQ(static_cast<int32_t>(slide.x), target.x) << "an arrived picture moved";
        }
    }
}
