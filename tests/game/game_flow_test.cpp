// Whole games on the headless backend with the virtual clock: the scripted player answers from
// the expected answer, and the log shows what the game drew, played and paid.
#include <gtest/gtest.h>

#include "game/game.h"
#include "game/message_panel.h"
#include "game/packs.h"
#include "game/session.h"
#include "records/audit.h"
#include "support/game_harness.h"
#include "support/pack_files.h"

namespace {
class GameFlowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        packs_.WriteAll();
        ASSERT_TRUE(CheckQuestionPacks());
        StartGameHarness(2024);
        gAuditRecord.balance[0] = 0.0f;  // band 3: prizes 100, 200, 300
        gGameSession.WinAmount = 0;
    }
    void TearDown() override { StopGameHarness(); }

    // Plays one game to its end with these plays.
    void Play(std::vector<::Play> plays) {
        ScriptPlays(std::move(plays));
        PlayGame();
    }
    int32_t Counter(int id) const { return gAuditRecord.counter[id]; }

    ScratchPackFolder packs_;
};

std::vector<Play> Then(std::vector<Play> a, const std::vector<Play>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
}  // namespace

TEST_F(GameFlowTest, AllAnswersRightWinsTheThirdPrizeAndPaysIt) {
    Play(Repeat(Play::Right, 17));
    EXPECT_EQ(GetGameState(), GameFinalWon);
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 14);
    EXPECT_EQ(gGameSession.WinAmount, 300);
    EXPECT_EQ(GameWinAmount(), 300);
    EXPECT_EQ(gOutsideLog.payments, std::vector<int32_t>{300});
    EXPECT_EQ(Counter(9), 17) << "questions put";
    EXPECT_EQ(Counter(10), 0);
    EXPECT_EQ(Counter(26), 0);
    EXPECT_TRUE(gOutsideLog.Shown(PanelAllBigTeamsBeaten));
    EXPECT_TRUE(gOutsideLog.Shown(WinPanelFrame(300)));
    EXPECT_FALSE(gOutsideLog.Shown(PanelGameOver));
    EXPECT_EQ(gOutsideLog.musicStops, 1) << "the win screen stops the music";
    // Each big team beaten adds its prize to the payout balance.
    EXPECT_FLOAT_EQ(GetBalance(0), 600.0f);
    for (int q = 0; q < 3; ++q) EXPECT_FALSE(gGameSession.Teams[gGameSession.BigTeams[q]].standing);
    EXPECT_EQ(gGameSession.PassesLeft, 0);
    EXPECT_EQ(gGameSession.JokersLeft, 0);
    EXPECT_EQ(gWinPlan.active, 0) << "the plan ends with the game";
}

TEST_F(GameFlowTest, AWrongAnswerAtQuestionFiveEndsTheGameWithNothingPaid) {
    Play(Then(Repeat(Play::Right, 4), {Play::Wrong}));
    EXPECT_EQ(GetGameState(), GameLost);
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 4);
    EXPECT_EQ(gGameSession.WinAmount, 0);
    EXPECT_TRUE(gOutsideLog.payments.empty());
    EXPECT_TRUE(gOutsideLog.Shown(PanelGameOver));
    EXPECT_TRUE(gOutsideLog.Shown(PanelWrong));
    EXPECT_EQ(Counter(9), 5);
    EXPECT_EQ(Counter(10), 1);
    const int32_t* row = TeamsToRemoveTemplate[gGameSession.RemovalRow];
    EXPECT_EQ(CountStandingTeams(), 50 - row[0] - row[1] - row[2] - row[3]);
}

TEST_F(GameFlowTest, TheFirstQuestionAllowsOneSecondTry) {
    Play({Play::Wrong, Play::Right, Play::Wrong});
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 1) << "wrong then right goes on";
    EXPECT_EQ(Counter(10), 1) << "the try-again is not counted as a wrong answer";
    EXPECT_EQ(Counter(9), 2);
    EXPECT_TRUE(gOutsideLog.Shown(PanelTryAgain));
    EXPECT_EQ(gOutsideLog.Count(37), 1);
}

TEST_F(GameFlowTest, TwoWrongAnswersToTheFirstQuestionEndTheGame) {
    Play({Play::Wrong, Play::Wrong, Play::Right});
    EXPECT_EQ(GetGameState(), GameLost);
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 0);
    EXPECT_EQ(Counter(9), 1);
    EXPECT_EQ(Counter(10), 1);
    EXPECT_EQ(gPlayer.next, 2u) << "the game ended before the third play";
}

TEST_F(GameFlowTest, OnlyTheFirstQuestionOffersASecondTry) {
    Play({Play::Right, Play::Wrong, Play::Right});
    EXPECT_EQ(GetGameState(), GameLost);
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 1);
    EXPECT_FALSE(gOutsideLog.Shown(PanelTryAgain));
}

TEST_F(GameFlowTest, ATimeOutEndsTheGameWithoutCountingAWrongAnswer) {
    Play({Play::Right, Play::TimeOut});
    EXPECT_EQ(GetGameState(), GameLost);
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 1);
    EXPECT_EQ(Counter(10), 0);
    EXPECT_EQ(gOutsideLog.Count(43), 1);
    EXPECT_TRUE(gOutsideLog.Shown(PanelTimeUp));
    EXPECT_TRUE(gOutsideLog.Shown(PanelGameOver));
    EXPECT_GT(gOutsideLog.warningStrips, 0) << "the last six seconds flash the warning";
    EXPECT_GT(gOutsideLog.Count(5), 3) << "the warning ticks";
}

TEST_F(GameFlowTest, APassCountsAsRightAndAPassWithNoneLeftIsIgnored) {
    gAuditRecord.balance[0] = 1000.0f;  // band 0: every plan grade gives a single pass
    Play({Play::Pass, Play::IgnoredPass, Play::Right, Play::Wrong});
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 2);
    EXPECT_TRUE(gOutsideLog.Shown(PanelPassed));
    EXPECT_EQ(gOutsideLog.Count(41), 1);
    EXPECT_EQ(CountStandingTeams(), 47) << "the pass knocked out teams like a right answer";
    EXPECT_EQ(Counter(9), 3);
    EXPECT_EQ(Counter(10), 1);
}

TEST_F(GameFlowTest, AJokerThenAPassRemovesTheExtraTeams) {
    Play({Play::Joker, Play::Pass, Play::Wrong});
    EXPECT_EQ(gGameSession.TotalTasksCompleted, 1);
    EXPECT_EQ(gGameSession.JokersLeft, 0);
    EXPECT_FALSE(gGameSession.JokerArmed);
    EXPECT_TRUE(gOutsideLog.Shown(PanelJokerExtra));
    EXPECT_EQ(CountStandingTeams(), 48) << "one team for the answer, one for the joker";
    EXPECT_EQ(gGameSession.TeamsToRemove[gGameSession.RemovalRow][13], 4);
    EXPECT_TRUE(gOutsideLog.Shown(PanelSeveralKnockedOut));
}

TEST_F(GameFlowTest, ASecondJokerTouchIsIgnoredAndAJokerLostWithTheGame) {
    Play({Play::Right, Play::Joker, Play::IgnoredJoker, Play::Wrong});
    EXPECT_EQ(GetGameState(), GameLost);
    EXPECT_EQ(gGameSession.JokersLeft, 0);
    EXPECT_FALSE(gOutsideLog.Shown(PanelJokerExtra));
    EXPECT_EQ(CountStandingTeams(), 49);
}

TEST_F(GameFlowTest, AFinalStageLostAtTheFirstBigTeamPaysNothing) {
    Play(Then(Repeat(Play::Right, 14), {Play::Wrong}));
    EXPECT_EQ(GetGameState(), AnswerWrong);
    EXPECT_EQ(gGameSession.WinAmount, 0);
    EXPECT_TRUE(gOutsideLog.Shown(PanelFinalLost) || gOutsideLog.Shown(PanelFinalLostOther));
    EXPECT_EQ(Counter(26), 1);
    EXPECT_TRUE(gOutsideLog.payments.empty());
    EXPECT_FALSE(gOutsideLog.Shown(PanelGameOver)) << "a lost final stage shows no game over";
    EXPECT_EQ(CountStandingTeams(), 3);
}

TEST_F(GameFlowTest, AFinalStageLostAtTheThirdBigTeamPaysTheSecondPrize) {
    Play(Then(Repeat(Play::Right, 16), {Play::Wrong}));
    EXPECT_EQ(GetGameState(), GameFinalWon);
    EXPECT_EQ(gGameSession.WinAmount, gGameSession.Prizes[1]);
    EXPECT_EQ(gOutsideLog.payments, std::vector<int32_t>{gGameSession.Prizes[1]});
    EXPECT_TRUE(gOutsideLog.Shown(PanelTwoBigTeamsBeaten));
    EXPECT_EQ(Counter(26), 0);
    EXPECT_EQ(Counter(10), 1);
}
