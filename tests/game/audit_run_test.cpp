// Many games through the program's own run (start-up, main loop, the game, the audit record)
// with random play: the audit counters and the money paid must agree with what happened.
#include <gtest/gtest.h>

#include <iostream>
#include <numeric>
#include <random>

#include "core/random.h"
#include "credit/link.h"
#include "game/game.h"
#include "records/audit.h"
#include "shell/startup.h"
#include "support/credit_service.h"
#include "support/game_harness.h"
#include "support/pack_files.h"

namespace {
constexpr int GamesToPlay = 200;
int gGamesLeft = 0;
std::mt19937 gChooser;

// The menu's paid start: the stake is taken and counted, then the player's plays are drawn.
bool BuyGameWithRandomPlays() {
    if (gGamesLeft-- <= 0) return false;
    AddToBalance(0, -(GameStake * 25) / 100.0f);
    BumpCounter(CounterGamesBought);
    ScriptPlays(RandomPlays(gChooser));
    return true;
}
}  // namespace

TEST(AuditRun, TwoHundredRandomGamesKeepTheCountersAndTheMoneyConsistent) {
    ScratchPackFolder packs;
    packs.WriteAll();
    FakeCreditService service;
    ASSERT_TRUE(service.ok());
    gCreditServicePort = service.port();
    StartGameHarness(77);
    gPlayer.answerForMissingHelps = true;
    gChooser.seed(4242);
    gGamesLeft = GamesToPlay;
    StartupSteps steps = DefaultStartupSteps();
    steps.initDisplay = [] { return true; };
    steps.showLoadingPicture = [] {};
    steps.initSound = [] { return true; };
    steps.crossFadeToMenu = [] {};
    steps.runMenu = BuyGameWithRandomPlays;
    steps.blankScreen = [] {};
    steps.releaseResourceImages = [] {};
    steps.shutdownDisplay = [] {};
    gStartup = steps;

    EXPECT_EQ(WinMain(), ExitNormal);

    gStartup = DefaultStartupSteps();
    gCreditServicePort = 6667;
    StopGameHarness();
    // The record as saved after the last game.
    ResetAuditRecord();
    LoadAuditRecord();
    const int32_t* c = gAuditRecord.counter;
    const std::vector<int32_t>& paid = gOutsideLog.payments;
    int32_t prizes = std::accumulate(paid.begin(), paid.end(), 0);
    EXPECT_EQ(c[0], GamesToPlay);
    EXPECT_EQ(c[1] + c[2] + c[3] + c[4] + c[5] + c[6] + c[7], GamesToPlay);
    EXPECT_EQ(c[27], prizes);
    EXPECT_EQ(c[35], static_cast<int32_t>(paid.size()));
    int32_t byBand = 0;
    for (int id = 28; id <= 34; ++id) byBand += c[id];
    EXPECT_EQ(byBand, prizes);
    int32_t byPrize = 0;
    for (int id = 11; id <= 25; ++id) byPrize += c[id];
    EXPECT_EQ(byPrize, c[35]);
    EXPECT_GE(c[9], GamesToPlay) << "every game puts at least one question";
    EXPECT_LE(c[26] + c[35], GamesToPlay);
    // The random play must have reached the final stage, won it and lost it, for this to tell.
    EXPECT_GT(c[35], 5);
    EXPECT_GT(c[26], 0);
    EXPECT_GT(c[10], 0);
    std::cout << "games won " << c[35] << ", prizes " << prizes << " pence, final stages lost "
              << c[26] << ", questions " << c[9] << ", wrong answers " << c[10] << "\n";
}
