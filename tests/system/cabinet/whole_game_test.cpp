// Whole games as a player meets them: a coin through the credit service, Start on the menu, the
// game played by the scripted player on the drawn screens, and Main Menu to leave. What the game
// sent, what the service booked and what the audit record kept must all tell the same story.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cabinet_support.h"
#include "game/message_panel.h"
#include "game/session.h"
#include "platform/signals.h"
#include "records/log.h"
#include "shell/startup.h"
#include "sound/effect_ids.h"

namespace {
using Lines = std::vector<std::string>;

template <typename T>
std::vector<T> Then(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class WholeGameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cabinet_ = std::make_unique<Cabinet>();
        if (!cabinet_->ready()) GTEST_SKIP() << "no credit service, relay or staged files";
    }
    void TearDown() override { cabinet_.reset(); }

    // Runs the cabinet for these games, one coin of 50 each put in beforehand.
    void PlayGames(const std::vector<std::vector<Play>>& games) {
        ASSERT_TRUE(cabinet_->Insert(50 * static_cast<int>(games.size())));
        CabinetPlan plan;
        plan.games = static_cast<int>(games.size());
        plan.plays = [games](int i) { return games[static_cast<size_t>(i)]; };
        ASSERT_EQ(cabinet_->Run(plan), ExitNormal);
        ASSERT_EQ(cabinet_->games().size(), games.size());
    }
    const GameRecord& Game(size_t i) const { return cabinet_->games()[i]; }
    int32_t Counter(int id) const { return cabinet_->savedRecord().counter[id]; }
    // The ledger's rows made by the game, as request and amount.
    Lines GameBookings() {
        Lines rows;
        for (const LedgerEntry& e : cabinet_->GameLedger())
            rows.push_back(e.request + " " + std::to_string(e.amount));
        return rows;
    }
    void ExpectBalances(int64_t credit, int64_t bank) {
        int64_t c = -1, b = -1;
        ASSERT_TRUE(cabinet_->Balances(c, b));
        EXPECT_EQ(c, credit);
        EXPECT_EQ(b, bank);
    }

    std::unique_ptr<Cabinet> cabinet_;
};
}  // namespace

TEST_F(WholeGameTest, AllAnswersRightWinsTheThirdPrizeIntoBankAndCredit) {
    // A cabinet that has paid out much: band 0, prizes 50, 100 and 150.
    cabinet_->PresetPayoutBalance(1100.0f);
    PlayGames({Repeat(Play::Right, 17)});
    const GameRecord& g = Game(0);
    EXPECT_EQ(g.state, GameFinalWon);
    EXPECT_EQ(g.tasks, 14);
    EXPECT_EQ(g.prizes[0], 50);
    EXPECT_EQ(g.prizes[2], 150);
    EXPECT_EQ(g.winAmount, g.prizes[2]);
    EXPECT_TRUE(g.log.Shown(WinPanelFrame(150)));
    EXPECT_EQ(g.log.payments, std::vector<int32_t>{150});

    // On the wire: the stake, the whole pound to the bank, the odd pence to the credit, and the
    // goodbye; every line ends in CR LF.
    EXPECT_EQ(cabinet_->Changes(),
              (Lines{"CUSE,50\r\n", "BADD,100\r\n", "CADD,50\r\n", "TERM\r\n"}));
    EXPECT_EQ(GameBookings(), (Lines{"CUSE 50", "BADD 100", "CADD 50"}));
    ExpectBalances(50, 100);
    std::string log = cabinet_->ServiceLog();
    EXPECT_NE(log.find(" BADD,100: credit 0, bank 100"), std::string::npos) << log;
    EXPECT_NE(log.find(" CADD,50: credit 50, bank 100"), std::string::npos) << log;
    EXPECT_NE(log.find(" TERM: the game has ended"), std::string::npos) << log;

    EXPECT_EQ(Counter(0), 1);
    EXPECT_EQ(Counter(1), 1) << "the game started in band 0";
    EXPECT_EQ(Counter(27), 150);
    EXPECT_EQ(Counter(35), 1);
    EXPECT_EQ(Counter(13), 1) << "one prize of 150";
    EXPECT_EQ(Counter(9), 17);
    EXPECT_EQ(Counter(10), 0);
    // The stake takes 12.5 and the three big teams beaten and the prize won add theirs.
    EXPECT_FLOAT_EQ(cabinet_->savedRecord().balance[0], 1100.0f - 12.5f + 300.0f + 150.0f);
}

TEST_F(WholeGameTest, AWrongAnswerAtQuestionFiveEndsTheGameWithNothingPaid) {
    PlayGames({Then(Repeat(Play::Right, 4), {Play::Wrong, Play::Right})});
    const GameRecord& g = Game(0);
    EXPECT_EQ(g.state, GameLost);
    EXPECT_EQ(g.tasks, 4);
    EXPECT_EQ(g.winAmount, 0);
    EXPECT_EQ(g.playsTaken, 5u) << "the game ended at the wrong answer";
    EXPECT_TRUE(g.log.Shown(PanelWrong));
    EXPECT_TRUE(g.log.Shown(PanelGameOver));
    EXPECT_TRUE(g.log.payments.empty());
    EXPECT_EQ(cabinet_->Changes(), (Lines{"CUSE,50\r\n", "TERM\r\n"}));
    EXPECT_EQ(GameBookings(), (Lines{"CUSE 50"}));
    ExpectBalances(0, 0);
    EXPECT_EQ(Counter(9), 5);
    EXPECT_EQ(Counter(10), 1);
    EXPECT_EQ(Counter(27), 0);
    EXPECT_EQ(Counter(35), 0);
}

TEST_F(WholeGameTest, TheFirstQuestionGivesOneSecondTryGameAfterGame) {
    // Two games in one run: back to the menu in between, Start again, then Main Menu.
    PlayGames({{Play::Wrong, Play::Right, Play::Wrong}, {Play::Wrong, Play::Wrong, Play::Right}});
    const GameRecord& first = Game(0);
    EXPECT_EQ(first.state, GameLost);
    EXPECT_EQ(first.tasks, 1) << "wrong then right goes on";
    EXPECT_TRUE(first.log.Shown(PanelTryAgain));
    EXPECT_EQ(first.log.Count(EffectTryAgain), 1);
    const GameRecord& second = Game(1);
    EXPECT_EQ(second.state, GameLost);
    EXPECT_EQ(second.tasks, 0) << "wrong twice ends the game";
    EXPECT_EQ(second.playsTaken, 2u);
    EXPECT_TRUE(second.log.Shown(PanelTryAgain));
    EXPECT_EQ(cabinet_->Changes(), (Lines{"CUSE,50\r\n", "CUSE,50\r\n", "TERM\r\n"}));
    ExpectBalances(0, 0);
    EXPECT_EQ(Counter(0), 2);
    EXPECT_EQ(Counter(9), 3) << "a second try is no new question";
    EXPECT_EQ(Counter(10), 2) << "only the answers that ended a game count as wrong";
}

TEST_F(WholeGameTest, HelpsCountAsRightAndATimeOutEndsTheGameUncounted) {
    // The joker, then a pass on the same question; the next question is left to run out.
    PlayGames({{Play::Joker, Play::Pass, Play::TimeOut, Play::Right}});
    const GameRecord& g = Game(0);
    EXPECT_EQ(g.state, GameLost);
    EXPECT_EQ(g.tasks, 1) << "the pass counted as a right answer";
    EXPECT_EQ(g.standing, 48) << "one team for the answer and one for the joker";
    EXPECT_TRUE(g.log.Shown(PanelPassed));
    EXPECT_TRUE(g.log.Shown(PanelJokerExtra));
    EXPECT_EQ(g.log.Count(EffectTimeOut), 1);
    EXPECT_TRUE(g.log.Shown(PanelTimeUp));
    EXPECT_TRUE(g.log.Shown(PanelGameOver));
    EXPECT_GT(g.log.warningStrips, 0) << "the last six seconds flash the warning";
    EXPECT_EQ(cabinet_->Changes(), (Lines{"CUSE,50\r\n", "TERM\r\n"}));
    EXPECT_EQ(Counter(9), 2);
    EXPECT_EQ(Counter(10), 0) << "a time-out is not a wrong answer";
    EXPECT_GE(Counter(39), 20) << "the game lasted the 20 s of the unanswered question at least";
}

TEST_F(WholeGameTest, AFinalStagePaysThePrizeOfTheLastBigTeamBeaten) {
    // A fresh cabinet: band 3, prizes 100, 200 and 300. The first game is lost at the first big
    // team, the second at the third.
    PlayGames({Then(Repeat(Play::Right, 14), {Play::Wrong, Play::Right}),
               Then(Repeat(Play::Right, 16), {Play::Wrong})});
    const GameRecord& first = Game(0);
    EXPECT_EQ(first.state, AnswerWrong) << "a lost final stage leaves the wrong answer's state";
    EXPECT_EQ(first.winAmount, 0);
    EXPECT_EQ(first.standing, 3);
    EXPECT_TRUE(first.log.Shown(PanelFinalLost) || first.log.Shown(PanelFinalLostOther));
    EXPECT_FALSE(first.log.Shown(PanelGameOver));
    EXPECT_TRUE(first.log.payments.empty());
    const GameRecord& second = Game(1);
    EXPECT_EQ(second.state, GameFinalWon);
    EXPECT_EQ(second.prizes[1], 200);
    EXPECT_EQ(second.winAmount, second.prizes[1]);
    EXPECT_TRUE(second.log.Shown(PanelTwoBigTeamsBeaten));
    EXPECT_TRUE(second.log.Shown(WinPanelFrame(200)));

    EXPECT_EQ(cabinet_->Changes(),
              (Lines{"CUSE,50\r\n", "CUSE,50\r\n", "BADD,200\r\n", "TERM\r\n"}))
        << "whole pounds go to the bank alone";
    EXPECT_EQ(GameBookings(), (Lines{"CUSE 50", "CUSE 50", "BADD 200"}));
    ExpectBalances(0, 200);
    EXPECT_EQ(Counter(4), 2) << "both games started in band 3";
    EXPECT_EQ(Counter(26), 1) << "one final stage lost at the first big team";
    EXPECT_EQ(Counter(10), 2);
    EXPECT_EQ(Counter(27), 200);
    EXPECT_EQ(Counter(35), 1);
}

// An end signal during a game ends the cabinet at once, as at the menu, and leaves the game in its
// journal: the next start finishes it, paying and counting it once. A prize request under way
// when the signal comes gets its reply first. With no journal on disk the game is played on to
// its end instead.
TEST_F(WholeGameTest, AnEndSignalDuringAGameLeavesItToTheNextStartOrPlaysItOut) {
    enum class When { ThirdAnswer, PrizeAsked, NoJournal };
    struct Case {
        When when;
        const char* name;
        Lines firstRun;  // the changes the first run sent
        const char* resumedAt;
    };
    const Case cases[] = {
        {When::ThirdAnswer,
         "signal at the third answer",
         {"CUSE,50\r\n", "TERM\r\n"},
         "resumed game 1 at question 3 of the rounds (2 right answers"},
        {When::PrizeAsked,
         "signal as the prize is asked for",
         {"CUSE,50\r\n", "BADD,100\r\n", "CADD,50\r\n", "TERM\r\n"},
         "resumed game 1 at its end (result counted now)"},
        {When::NoJournal,
         "no journal on disk",
         {"CUSE,50\r\n", "BADD,100\r\n", "CADD,50\r\n", "TERM\r\n"},
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cabinet_.reset();  // the last case's folders go first
        cabinet_ = std::make_unique<Cabinet>();
        ASSERT_TRUE(cabinet_->ready());
        cabinet_->PresetPayoutBalance(1100.0f);
        ASSERT_TRUE(cabinet_->Insert(100));
        std::string journal = cabinet_->WorkFolder() + "/data/game.journal";
        // A folder where the journal's temporary file should be: no step of it can be written.
        if (c.when == When::NoJournal)
            std::filesystem::create_directories(journal + ".tmp/blocked");
        CatchEndSignals();
        CabinetPlan plan;
        plan.games = 2;
        plan.plays = [&c](int) {
            if (c.when != When::PrizeAsked)
                gOnPlayTaken = [] {
                    if (gPlayer.next == 3) raise(SIGTERM);
                };
            return Repeat(Play::Right, 17);
        };
        if (c.when == When::PrizeAsked)
            plan.watchRequests = [](const std::string& chunk) {
                if (chunk.find("BADD") != std::string::npos) kill(getpid(), SIGTERM);
            };
        EXPECT_EQ(cabinet_->Run(plan), ExitNormal);
        ReleaseEndSignals();
        EXPECT_EQ(cabinet_->Changes(), c.firstRun) << "no menu and no second game after the signal";
        std::string log = cabinet_->LogText();
        EXPECT_NE(log.find("Asked to end by signal 15"), std::string::npos) << log;
        ASSERT_GE(log.size(), 14u);
        EXPECT_EQ(log.substr(log.size() - 13), "Closing log\r\n") << log;
        if (c.when == When::NoJournal) {
            EXPECT_NE(log.find("A game is under way: it is played to its end"), std::string::npos)
                << log;
            ASSERT_EQ(cabinet_->games().size(), 1u);
            EXPECT_EQ(Game(0).state, GameFinalWon);
            EXPECT_EQ(Counter(0), 1);
            EXPECT_EQ(Counter(27), 150);
            ExpectBalances(100, 100);
            continue;
        }
        EXPECT_NE(log.find("game 1 is kept in the game journal and resumes at the next start"),
                  std::string::npos)
            << log;
        EXPECT_TRUE(cabinet_->games().empty()) << "the game never returned to the main loop";
        EXPECT_EQ(Counter(0), 0) << "nothing counted before the game is over";
        ASSERT_TRUE(std::filesystem::exists(journal));

        // The next start, no coin and no game bought: the resumed game is played out.
        CabinetPlan next;
        next.games = 0;
        next.resumedPlays = Repeat(Play::Right, 17);
        EXPECT_EQ(cabinet_->Run(next), ExitNormal);
        EXPECT_NE(cabinet_->LogText().find(c.resumedAt), std::string::npos) << cabinet_->LogText();
        EXPECT_FALSE(std::filesystem::exists(journal));
        EXPECT_EQ(cabinet_->Changes(),
                  Then(c.firstRun, c.when == When::ThirdAnswer
                                       ? Lines{"BADD,100\r\n", "CADD,50\r\n", "TERM\r\n"}
                                       : Lines{"TERM\r\n"}))
            << "the prize is paid once over both runs";
        ExpectBalances(100, 100);
        EXPECT_EQ(Counter(0), 1) << "bought once";
        int32_t started = 0;
        for (int band = 1; band <= 7; ++band) started += Counter(band);
        EXPECT_EQ(started, 1) << "started once";
        EXPECT_EQ(Counter(27), 150) << "its prize counted once";
        EXPECT_EQ(Counter(35), 1);
    }
}
