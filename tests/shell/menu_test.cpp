// The menu and rules screens, headless with the virtual clock and scripted touches, against a
// real credit service; the menu's sounds are recorded with the virtual time they were asked for.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "credit/link.h"
#include "game/buttons.h"
#include "game/session.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "records/audit.h"
#include "shell/ending.h"
#include "shell/main_window.h"
#include "shell/menu.h"
#include "shell/menu_sound.h"
#include "support/credit_service.h"
#include "support/headless_start.h"

namespace {
struct SoundCall {
    uint32_t at;
    std::string what;
    int32_t arg;
};
std::vector<SoundCall> gSounds;

void Record(const char* what, int32_t arg) {
    gSounds.push_back({timeGetTime(), what, arg});
}

MenuSounds RecordingSounds() {
    MenuSounds s{};
    s.playMainTune = [](int32_t from, int32_t length) {
        Record("play", from);
        Record("play-length", length);
        return true;
    };
    s.stopMainTune = [] { return Record("stop", 0), true; };
    s.pauseMainTune = [] { return Record("pause", 0), true; };
    s.resumeMainTune = [] { return Record("resume", 0), true; };
    s.playEffect = [](int32_t id) { Record("effect", id); };
    s.loopEffect = [](int32_t id) { Record("loop", id); };
    s.stopEffect = [](int32_t id) { Record("stop-effect", id); };
    s.stopAllEffects = [] { Record("stop-all", 0); };
    return s;
}

// Times at which the recorded sound call was made.
std::vector<uint32_t> When(const std::string& what, int32_t arg = 0) {
    std::vector<uint32_t> times;
    for (const SoundCall& c : gSounds)
        if (c.what == what && c.arg == arg) times.push_back(c.at);
    return times;
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const SoundCall& c : gSounds) names.push_back(c.what + ":" + std::to_string(c.arg));
    return names;
}

class MenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StartHeadlessClock(1000000);
        ASSERT_TRUE(CreateMainWindow());
        FlushInput();
        GameStake = 50;
        ResetAuditRecord();
        gSounds.clear();
        gMenuSounds = RecordingSounds();
        service_ = std::make_unique<RunningCreditService>();
        ASSERT_TRUE(service_->ok());
        gCreditServicePort = service_->port();
        ASSERT_TRUE(CreateCreditSocket());
        ASSERT_TRUE(ConnectCreditService());
        began_ = timeGetTime();
    }
    void TearDown() override {
        CloseCreditLink();
        service_.reset();
        gMenuSounds = DefaultMenuSounds();
        HeadlessResetInput();
        ClockUseReal();
        gCreditServicePort = 6667;
    }
    // Presses at began + offset.
    void PressAt(uint32_t offset, int16_t x, int16_t y) {
        HeadlessSchedulePress(began_ + offset, x, y);
    }
    uint32_t Since() const { return timeGetTime() - began_; }

    std::unique_ptr<RunningCreditService> service_;
    uint32_t began_ = 0;
};

TEST_F(MenuTest, PaidStartTakesTheStakeAndCountsThePurchase) {
    ASSERT_TRUE(service_->Insert(30));
    ASSERT_TRUE(AddBank(20));
    PressAt(500, 794, 390);  // just right of Start: nothing
    PressAt(700, 608, 400);  // just left of Start: nothing
    PressAt(1000, 609, 390);
    gGameSession.WinAmount = 600;
    EXPECT_TRUE(RunMenu());
    EXPECT_EQ(gGameSession.WinAmount, 0) << "the last game's prize is never carried over";
    EXPECT_GE(Since(), 1400u) << "the play button's press animation runs before the game";
    EXPECT_LT(Since(), 1500u);

    EXPECT_EQ(QueryCredit(), 0);
    EXPECT_EQ(QueryBank(), 0);
    ASSERT_EQ(service_->Run({"ledger", "1"}), 0);
    EXPECT_NE(service_->output().find("CUSE"), std::string::npos) << service_->output();
    EXPECT_NE(service_->output().find("50"), std::string::npos) << service_->output();

    EXPECT_EQ(gAuditRecord.counter[0], 1);
    EXPECT_EQ(gAuditRecord.counter[36], 1) << "a bank below 500 after the stake";
    EXPECT_EQ(gAuditRecord.counter[37] + gAuditRecord.counter[38], 0);
    EXPECT_FLOAT_EQ(GetBalance(0), -12.5f);

    // The tune starts with the menu and plays on into the game.
    ASSERT_FALSE(gSounds.empty());
    EXPECT_EQ(Names().front(), "play:27");
    EXPECT_EQ(When("play-length", 60000).size(), 1u);
    EXPECT_TRUE(When("stop").empty());
    EXPECT_EQ(When("effect", ClickEffect).size(), 1u);
}

TEST_F(MenuTest, ShortMoneyThrowsStartAwayUntilTheIdleTimeOut) {
    ASSERT_TRUE(service_->Insert(49));
    PressAt(1000, 609, 390);
    PressAt(2000, 700, 300);
    PressAt(3000, 650, 500);
    EXPECT_FALSE(RunMenu());
    EXPECT_EQ(QueryCredit(), 49);
    EXPECT_EQ(gAuditRecord.counter[0], 0);

    // 30 s after the wait began the menu ends as if Main Menu were pressed: effects and tune
    // stop, the click sounds, the button goes down and up, and half a second passes.
    std::vector<uint32_t> stops = When("stop");
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_GE(stops[0] - began_, static_cast<uint32_t>(MenuIdleMs));
    EXPECT_LT(stops[0] - began_, static_cast<uint32_t>(MenuIdleMs) + 100);
    EXPECT_GE(Since(), stops[0] - began_ + 900);
    EXPECT_LT(Since(), stops[0] - began_ + 1000);
    std::vector<std::string> names = Names();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(names.end() - 3, names.end()),
              (std::vector<std::string>{"stop-all:0", "stop:0", "effect:3"}));
}

TEST_F(MenuTest, MainMenuEndsTheMenuWithNoMoney) {
    PressAt(500, 10, 460);
    EXPECT_FALSE(RunMenu());
    EXPECT_GE(Since(), 500u + 900u);
    EXPECT_LT(Since(), 500u + 1000u);
    EXPECT_EQ(When("stop").size(), 1u);
}

TEST_F(MenuTest, RulesCloseByThemselvesAndTheIdlePeriodStartsAgain) {
    PressAt(1000, 400, 500);
    EXPECT_FALSE(RunMenu());
    std::vector<uint32_t> opened = When("pause");
    std::vector<uint32_t> closed = When("resume");
    ASSERT_EQ(opened.size(), 1u);
    ASSERT_EQ(closed.size(), 1u);
    // The rules effect loops while the tune is paused, and stops as it resumes.
    ASSERT_EQ(When("loop", RulesEffect).size(), 1u);
    ASSERT_EQ(When("stop-effect", RulesEffect).size(), 1u);
    EXPECT_LT(When("loop", RulesEffect)[0] - opened[0], 5u);
    EXPECT_LT(closed[0] - When("stop-effect", RulesEffect)[0], 5u);
    // The rules stay 20 s, then the Rules button comes back up (400 ms) on the way out.
    EXPECT_GE(closed[0] - opened[0], RulesShownMs + 400);
    EXPECT_LT(closed[0] - opened[0], RulesShownMs + 450);
    // A new 30 s idle period starts with the next wait.
    uint32_t ended = When("stop").at(0);
    EXPECT_GE(ended - closed[0], static_cast<uint32_t>(MenuIdleMs));
    EXPECT_LT(ended - closed[0], static_cast<uint32_t>(MenuIdleMs) + 100);
}

TEST_F(MenuTest, RulesIgnoreATouchOnTheScreenEdge) {
    // Presses timed from the moment the rules screen opens.
    HeadlessSetPressSource([](uint32_t now, int16_t& x, int16_t& y) {
        std::vector<uint32_t> opened = When("pause");
        if (opened.empty()) return false;
        static const struct {
            uint32_t after;
            int16_t x, y;
        } presses[] = {{2000, 0, 300}, {3000, 300, 0}, {5000, 1, 300}};
        static size_t next = 0;
        if (now == opened[0]) next = 0;
        if (next < 3 && now - opened[0] >= presses[next].after) {
            x = presses[next].x;
            y = presses[next].y;
            ++next;
            return true;
        }
        return false;
    });
    PressAt(1000, 400, 500);
    PressAt(40000, 10, 460);  // Main Menu, well after the rules
    EXPECT_FALSE(RunMenu());
    uint32_t opened = When("pause").at(0);
    uint32_t closed = When("resume").at(0);
    EXPECT_GE(closed - opened, 5000u + 400);
    EXPECT_LT(closed - opened, 5000u + 450);
}

TEST_F(MenuTest, CoinDuringTheWaitIsShownAndEnablesStart) {
    bool inserted = false;
    uint32_t insertedAt = 0;
    int32_t shownAfterOneFrame = -1;
    HeadlessSetPressSource([&](uint32_t now, int16_t&, int16_t&) {
        if (!inserted && now - began_ >= 2000) {
            inserted = true;
            insertedAt = now;
            EXPECT_TRUE(service_->Insert(100));
        }
        if (inserted && shownAfterOneFrame < 0 && now - insertedAt >= 20)
            shownAfterOneFrame = gButtonWait.lastCreditShown;
        return false;
    });
    PressAt(1000, 650, 450);  // Start with no money: thrown away
    PressAt(3000, 700, 300);  // Start2 after the coin
    EXPECT_TRUE(RunMenu());
    EXPECT_EQ(shownAfterOneFrame, 100) << "the credit display follows within a frame";
    EXPECT_GE(Since(), 3400u);
    EXPECT_LT(Since(), 3500u);
    EXPECT_EQ(QueryCredit(), 50);
}
}  // namespace

TEST_F(MenuTest, AnEndFromOutsideClosesTheRulesAndEndsTheMenuWithoutAPress) {
    ResetEnding();
    HeadlessSetPressSource([](uint32_t now, int16_t&, int16_t&) {
        std::vector<uint32_t> opened = When("pause");
        static bool posted = false;
        if (!opened.empty() && !posted && now - opened[0] >= 2000) {
            posted = true;
            HeadlessPostMessage(WindowMessage{WM_ENDSESSION, 15, 0});
        }
        return false;
    });
    PressAt(1000, 400, 500);
    EXPECT_FALSE(RunMenu());
    EXPECT_TRUE(EndAsked());
    uint32_t opened = When("pause").at(0);
    uint32_t closed = When("resume").at(0);
    EXPECT_GE(closed - opened, 2000u);
    EXPECT_LT(closed - opened, 2000u + 450);
    // The menu ends at its first poll after the rules, with no Main Menu press shown.
    uint32_t stopped = When("stop").at(0);
    EXPECT_LT(stopped - closed, 100u);
    EXPECT_EQ(Names().back(), "stop:0");
    ResetEnding();
}
