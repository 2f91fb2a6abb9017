#include <gtest/gtest.h>

#include <vector>

#include "core/random.h"
#include "game/removal.h"
#include "game/session.h"
#include "records/audit.h"

namespace {
struct StepSeen {
    int32_t ordinary;
    int32_t joker;
    int32_t standingAfter;
};

// Starts a game on the given row with all teams standing.
void StartOnRow(int row, uint32_t seed = 7) {
    ResetAuditRecord();
    SeedRandom(seed);
    PrepareGameSession();
    gGameSession.RemovalRow = static_cast<uint8_t>(row);
}

// One right answer as the game applies it: plan, knock out, count the answer.
StepSeen RightAnswer(bool joker) {
    gGameSession.JokerArmed = joker;
    RemovalStep step = PlanRemoval();
    for (int i = 0; i < step.lToRemove; ++i) KnockOutTeam();
    for (int i = 0; i < step.lJokerToRemove; ++i) KnockOutTeam();
    gGameSession.JokerArmed = false;
    gGameSession.TotalTasksCompleted += 1;
    return {step.lToRemove, step.lJokerToRemove, CountStandingTeams()};
}

bool OnlyBigTeamsStand() {
    for (const Team& t : gGameSession.Teams)
        if (t.standing != t.big) return false;
    return true;
}
}  // namespace

TEST(RemoveTeams, RowZeroWithoutJokerKnocksOutTheTableCounts) {
    StartOnRow(0);
    const int32_t counts[14] = {1, 2, 2, 2, 2, 3, 3, 4, 4, 4, 5, 5, 5, 5};
    const int32_t standing[14] = {49, 47, 45, 43, 41, 38, 35, 31, 27, 23, 18, 13, 8, 3};
    for (int k = 0; k < 14; ++k) {
        StepSeen seen = RightAnswer(false);
        EXPECT_EQ(seen.ordinary, counts[k]) << "answer " << k + 1;
        EXPECT_EQ(seen.joker, 0);
        EXPECT_EQ(seen.standingAfter, standing[k]) << "answer " << k + 1;
    }
    EXPECT_TRUE(OnlyBigTeamsStand());
}

TEST(RemoveTeams, RowOneJokerOnTheFourthAnswerIsPaidBackLater) {
    StartOnRow(1);
    for (int k = 0; k < 3; ++k) RightAnswer(false);
    StepSeen seen = RightAnswer(true);
    EXPECT_EQ(seen.ordinary, 3);
    EXPECT_EQ(seen.joker, 3);
    EXPECT_EQ(gGameSession.TeamsToRemove[1][8], 3);
    EXPECT_EQ(gGameSession.TeamsToRemove[1][9], 3);
    EXPECT_EQ(gGameSession.TeamsToRemove[1][11], 4);
    EXPECT_EQ(gGameSession.TeamsToRemove[1][3], 3) << "the step in hand keeps its count";
    for (int k = 4; k < 14; ++k) RightAnswer(false);
    EXPECT_TRUE(OnlyBigTeamsStand());
}

TEST(RemoveTeams, JokerOnTheLastAnswerTakesFiveSplitEitherWay) {
    for (int row = 0; row < 3; ++row) {
        bool sawThreeTwo = false, sawTwoThree = false;
        for (uint32_t seed = 1; seed < 40; ++seed) {
            StartOnRow(row, seed);
            for (int k = 0; k < 13; ++k) RightAnswer(false);
            StepSeen seen = RightAnswer(true);
            EXPECT_EQ(seen.ordinary + seen.joker, 5);
            sawThreeTwo |= seen.ordinary == 3 && seen.joker == 2;
            sawTwoThree |= seen.ordinary == 2 && seen.joker == 3;
            EXPECT_TRUE(OnlyBigTeamsStand());
        }
        EXPECT_TRUE(sawThreeTwo && sawTwoThree) << "row " << row;
    }
}

TEST(RemoveTeams, RowZeroJokerOnTheEleventhAnswerLeavesTwoForTheLast) {
    StartOnRow(0);
    for (int k = 0; k < 10; ++k) RightAnswer(false);
    StepSeen seen = RightAnswer(true);
    EXPECT_EQ(seen.ordinary + seen.joker, 8);
    EXPECT_EQ(gGameSession.TeamsToRemove[0][13], 4);
    RightAnswer(false);
    RightAnswer(false);
    StepSeen last = RightAnswer(false);
    EXPECT_EQ(last.ordinary, 2) << "the limit leaves only the ordinary teams still standing";
    EXPECT_EQ(last.standingAfter, 3);
}

TEST(RemoveTeams, EveryRowAndJokerMomentEndsWithExactlyTheBigTeams) {
    for (int row = 0; row < 3; ++row) {
        for (int jokerAt = 0; jokerAt < 14; ++jokerAt) {
            StartOnRow(row, 100 + static_cast<uint32_t>(jokerAt));
            int32_t gone = 0;
            for (int k = 0; k < 14; ++k) {
                StepSeen seen = RightAnswer(k == jokerAt);
                gone += seen.ordinary + seen.joker;
                // The joker's extra teams are always there to be knocked out.
                EXPECT_GE(seen.standingAfter, 3) << "row " << row << " joker " << jokerAt;
            }
            EXPECT_EQ(gone, 47) << "row " << row << " joker at " << jokerAt;
            EXPECT_TRUE(OnlyBigTeamsStand()) << "row " << row << " joker at " << jokerAt;
        }
    }
}

TEST(RemoveTeams, OnlyLaterEntriesOfTheRowChange) {
    for (int row = 0; row < 3; ++row) {
        for (int jokerAt = 0; jokerAt < 14; ++jokerAt) {
            StartOnRow(row);
            gGameSession.TotalTasksCompleted = jokerAt;
            gGameSession.JokerArmed = true;
            PlanRemoval();
            for (int r = 0; r < 3; ++r)
                for (int k = 0; k <= jokerAt; ++k)
                    EXPECT_EQ(gGameSession.TeamsToRemove[r][k], TeamsToRemoveTemplate[r][k])
                        << "row " << row << " joker at " << jokerAt;
        }
    }
}

TEST(RemoveTeams, KnockOutNeverTakesABigTeamAndStopsWhenNoOrdinaryTeamStands) {
    StartOnRow(2);
    std::vector<int32_t> gone;
    for (;;) {
        int32_t t = KnockOutTeam();
        if (t < 0) break;
        EXPECT_FALSE(gGameSession.Teams[t].big);
        EXPECT_FALSE(gGameSession.Teams[t].standing);
        gone.push_back(t);
    }
    EXPECT_EQ(gone.size(), 47u);
    EXPECT_EQ(CountStandingTeams(), 3);
    EXPECT_EQ(KnockOutTeam(), -1);
    EXPECT_EQ(CountStandingTeams(), 3);
}

TEST(RemoveTeams, PlanOutsideTheRoundsRemovesNothing) {
    StartOnRow(0);
    gGameSession.TotalTasksCompleted = 14;
    RemovalStep step = PlanRemoval();
    EXPECT_EQ(step.lToRemove, 0);
    EXPECT_EQ(step.lJokerToRemove, 0);
    gGameSession.TotalTasksCompleted = -1;
    step = PlanRemoval();
    EXPECT_EQ(step.lToRemove + step.lJokerToRemove, 0);
}
