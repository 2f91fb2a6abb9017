#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/random.h"
#include "game/message_panel.h"
#include "game/session.h"
#include "records/audit.h"

namespace {
class GameSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAuditRecord();
        SeedRandom(12345);
    }
};

// A seed whose set-up draws the given big-team start r (the second draw of the set-up).
uint32_t SeedForBigTeamStart(uint32_t r) {
    for (uint32_t seed = 1;; ++seed) {
        SeedRandom(seed);
        RandomBelow(3);
        if (RandomBelow(5) == r) return seed;
    }
}
}  // namespace

TEST_F(GameSessionTest, SetUpPlacesEveryTeamOnItsOwnSlotWithThreeConsecutiveBigTeams) {
    for (int game = 0; game < 20; ++game) {
        PrepareGameSession();
        std::set<std::pair<int, int>> places;
        int big = 0;
        for (int i = 0; i < TeamCount; ++i) {
            const Team& t = gGameSession.Teams[i];
            EXPECT_TRUE(t.standing);
            EXPECT_EQ(t.picture, i);
            EXPECT_EQ(t.x, GridSlots[SlotOrder[i]].x);
            EXPECT_EQ(t.y, GridSlots[SlotOrder[i]].y);
            places.insert({t.x, t.y});
            big += t.big ? 1 : 0;
        }
        EXPECT_EQ(places.size(), 50u) << "two teams share a grid slot";
        EXPECT_EQ(big, 3);
        // The big teams are three consecutive candidates in cyclic order.
        const int32_t* c = BigTeamCandidates;
        int start = static_cast<int>(std::find(c, c + 5, gGameSession.BigTeams[0]) - c);
        ASSERT_LT(start, 5);
        for (int q = 0; q < 3; ++q) {
            EXPECT_EQ(gGameSession.BigTeams[q], c[(start + q) % 5]);
            EXPECT_TRUE(gGameSession.Teams[gGameSession.BigTeams[q]].big);
        }
        EXPECT_EQ(GetGameState(), GameInPlay);
    }
}

TEST_F(GameSessionTest, BigTeamStartThreeGivesTeams35And37And3) {
    SeedRandom(SeedForBigTeamStart(3));
    PrepareGameSession();
    EXPECT_EQ(gGameSession.BigTeams[0], 35);
    EXPECT_EQ(gGameSession.BigTeams[1], 37);
    EXPECT_EQ(gGameSession.BigTeams[2], 3);
}

TEST_F(GameSessionTest, SetUpResetsTheHelpsTheRowAndTheRemovalTableButNotTheWin) {
    gGameSession.WinAmount = 150;
    gGameSession.TeamsToRemove[1][13] = 99;
    gGameSession.TotalTasksCompleted = 9;
    gGameSession.JokerArmed = true;
    PrepareGameSession();
    EXPECT_EQ(gGameSession.WinAmount, 150);
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 0);
    EXPECT_FALSE(gGameSession.JokerArmed);
    EXPECT_TRUE(gGameSession.RetryOffered);
    EXPECT_EQ(gGameSession.JokersLeft, 1);
    EXPECT_LT(gGameSession.RemovalRow, 3);
    for (int row = 0; row < 3; ++row) {
        int sum = 0;
        for (int k = 0; k < 14; ++k) {
            EXPECT_EQ(gGameSession.TeamsToRemove[row][k], TeamsToRemoveTemplate[row][k]);
            sum += gGameSession.TeamsToRemove[row][k];
        }
        EXPECT_EQ(sum, 47) << "row " << row << " must clear every ordinary team";
    }
}

TEST_F(GameSessionTest, RemovalRowsAndBigTeamStartsAllOccur) {
    std::set<int> rows, starts;
    for (int game = 0; game < 200; ++game) {
        PrepareGameSession();
        rows.insert(gGameSession.RemovalRow);
        starts.insert(gGameSession.BigTeams[0]);
    }
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(starts.size(), 5u);
}

TEST_F(GameSessionTest, PrizesFollowThePayoutBand) {
    gAuditRecord.balance[0] = 1000.0f;  // band 0
    PrepareGameSession();
    EXPECT_EQ(gGameSession.Prizes[0], 50);
    EXPECT_EQ(gGameSession.Prizes[1], 100);
    EXPECT_EQ(gGameSession.Prizes[2], 150);
    gAuditRecord.balance[0] = -500.0f;  // band 4
    PrepareGameSession();
    EXPECT_EQ(gGameSession.Prizes[0], 200);
    EXPECT_EQ(gGameSession.Prizes[2], 500);
    gAuditRecord.balance[0] = -5000.0f;  // band 6
    PrepareGameSession();
    EXPECT_EQ(gGameSession.Prizes[0], 400);
    EXPECT_EQ(gGameSession.Prizes[1], 500);
    EXPECT_EQ(gGameSession.Prizes[2], 600);
    for (const auto& row : PrizeLadder)
        EXPECT_TRUE(row[0] < row[1] && row[1] < row[2]) << "prizes must ascend";
}

TEST_F(GameSessionTest, PassesFollowThePlanGrade) {
    const int expected[5] = {1, 1, 1, 2, 2};
    for (int grade = 0; grade < 5; ++grade) {
        gWinPlan.grade[5] = static_cast<int16_t>(grade);
        PrepareGameSession();
        EXPECT_EQ(gGameSession.PassesLeft, expected[grade]) << "plan grade " << grade;
    }
    gWinPlan.grade[5] = 9;  // outside the table: no read beyond it
    PrepareGameSession();
    EXPECT_EQ(gGameSession.PassesLeft, 1);
    gWinPlan.grade[5] = -1;
    PrepareGameSession();
    EXPECT_EQ(gGameSession.PassesLeft, 1);
}

TEST_F(GameSessionTest, SlotOrderStaysAPermutationAcrossGames) {
    for (int game = 0; game < 50; ++game) PrepareGameSession();
    std::set<int> seen(SlotOrder, SlotOrder + TeamCount);
    EXPECT_EQ(seen.size(), 50u);
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), 49);
}

TEST_F(GameSessionTest, GridLeavesTheLowerMiddleFreeForTheBigTeams) {
    for (const ScreenPoint& p : GridSlots) {
        bool lowerMiddle = p.y >= 238 && p.x >= 320 && p.x < 480;
        bool lowerRows = p.y >= 297 && p.x >= 240 && p.x < 560;
        EXPECT_FALSE(lowerMiddle || lowerRows) << p.x << "," << p.y;
        EXPECT_LE(p.x + 80, 800);
        EXPECT_LE(p.y + 59, 430) << "a team picture reaches the message panel";
    }
}

TEST(PrizePictures, EachPrizeHasItsFrameAndOthersShowFrameZero) {
    EXPECT_EQ(PrizePicture(50), 0);
    EXPECT_EQ(PrizePicture(100), 1);
    EXPECT_EQ(PrizePicture(150), 2);
    EXPECT_EQ(PrizePicture(300), 4);
    EXPECT_EQ(PrizePicture(600), 7);
    EXPECT_EQ(PrizePicture(250), 0);
    EXPECT_EQ(PrizePicture(-100), 0);
    EXPECT_EQ(WinPanelFrame(50), 14);
    EXPECT_EQ(WinPanelFrame(200), 17);
    EXPECT_EQ(WinPanelFrame(600), 21);
    EXPECT_EQ(WinPanelFrame(250), -1);
    EXPECT_EQ(WinPanelFrame(0), -1);
}
