// The run's start-up order, main loop and every exit path, in-process on the headless backend
// against a loopback listener standing in for the credit service.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "credit/link.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/net.h"
#include "platform/window.h"
#include "records/audit.h"
#include "records/log.h"
#include "shell/startup.h"
#include "support/credit_service.h"
#include "support/scratch.h"

namespace {
std::vector<std::string> gCalls;
int gMenuGames = 0;

bool Succeeds(const char* name) {
    gCalls.push_back(name);
    return true;
}

StartupSteps RecordingSteps() {
    StartupSteps s{};
    s.initDisplay = [] { return Succeeds("initDisplay"); };
    s.showLoadingPicture = [] { gCalls.push_back("showLoadingPicture"); };
    s.loadAuditRecord = [] {
        gCalls.push_back("loadAuditRecord");
        LoadAuditRecord();
    };
    s.checkQuestionPacks = [] { return Succeeds("checkQuestionPacks"); };
    s.initSound = [] { return Succeeds("initSound"); };
    s.loadGameImages = [] { gCalls.push_back("loadGameImages"); };
    s.crossFadeToMenu = [] { gCalls.push_back("crossFadeToMenu"); };
    s.runMenu = [] {
        gCalls.push_back("runMenu");
        return gMenuGames-- > 0;
    };
    s.playGame = [] {
        gCalls.push_back("playGame");
        ClockAdvance(61500);  // a game of 61.5 seconds
    };
    s.gameWinAmount = [] { return 150; };
    s.blankScreen = [] { gCalls.push_back("blankScreen"); };
    s.releaseResourceImages = [] { gCalls.push_back("releaseResourceImages"); };
    s.shutdownDisplay = [] { gCalls.push_back("shutdownDisplay"); };
    return s;
}

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SelectBackend(Backend::Headless);
        HeadlessResetInput();
        ClockUseVirtual(1000, 1);
        ResetAuditRecord();
        gStartup = RecordingSteps();
        gCalls.clear();
        gMenuGames = 0;
        ASSERT_TRUE(listener.ok());
        gCreditServicePort = listener.port();
    }
    void TearDown() override {
        CloseLog();
        gStartup = DefaultStartupSteps();
        gCreditServicePort = 6667;
        HeadlessResetInput();
        ClockUseReal();
    }
    // Waits (in real time) for the listener to see the connection closed.
    void WaitForClose() {
        for (int i = 0; i < 200 && !listener.clientClosed(); ++i) usleep(5000);
    }
    ScratchDir dir;
    FakeCreditService listener;
};

TEST_F(StartupTest, WindowFailuresEndWithMinusOneBeforeAnythingElse) {
    InjectWindowFault(WindowFault::Register);
    EXPECT_EQ(WinMain(), ExitWindowFailed);
    InjectWindowFault(WindowFault::Create);
    EXPECT_EQ(WinMain(), ExitWindowFailed);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_FALSE(std::filesystem::exists("~system"));
}

TEST_F(StartupTest, SocketAndConnectionFailures) {
    InjectSocketFault(true);
    EXPECT_EQ(WinMain(), ExitSocketFailed);
    uint16_t unused;
    {
        FakeCreditService closedSoon;
        unused = closedSoon.port();
    }
    gCreditServicePort = unused;
    EXPECT_EQ(WinMain(), ExitNoCreditService);
    CloseCreditLink();
    EXPECT_TRUE(gCalls.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // no file written
}

TEST_F(StartupTest, DisplayFailureSendsTermWithoutTheCommonTail) {
    gStartup.initDisplay = [] {
        gCalls.push_back("initDisplay");
        return false;
    };
    EXPECT_EQ(WinMain(), ExitDisplayFailed);
    EXPECT_EQ(gCalls, std::vector<std::string>{"initDisplay"});
    WaitForClose();
    EXPECT_EQ(listener.received(), "TERM\r\n");
    EXPECT_TRUE(listener.clientClosed());
}

TEST_F(StartupTest, MissingPackEndsWithMinusSevenThroughTheCommonTail) {
    gStartup.checkQuestionPacks = [] {
        gCalls.push_back("checkQuestionPacks");
        return false;
    };
    EXPECT_EQ(WinMain(), ExitPackMissing);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"initDisplay", "showLoadingPicture",
                                                "loadAuditRecord", "checkQuestionPacks",
                                                "releaseResourceImages", "shutdownDisplay"}));
    WaitForClose();
    EXPECT_EQ(listener.received(), "TERM\r\n");
    EXPECT_TRUE(listener.clientClosed());
}

TEST_F(StartupTest, SoundFailureEndsWithMinusEight) {
    gStartup.initSound = [] {
        gCalls.push_back("initSound");
        return false;
    };
    EXPECT_EQ(WinMain(), ExitSoundFailed);
    EXPECT_EQ(gCalls.back(), "shutdownDisplay");
    EXPECT_EQ(gCalls[gCalls.size() - 3], "initSound");
    WaitForClose();
    EXPECT_EQ(listener.received(), "TERM\r\n");
}

TEST_F(StartupTest, NormalEndWritesTheLogAndBlanksTheScreen) {
    EXPECT_EQ(WinMain(), ExitNormal);
    EXPECT_EQ(gCalls, (std::vector<std::string>{
                          "initDisplay", "showLoadingPicture", "loadAuditRecord",
                          "checkQuestionPacks", "initSound", "loadGameImages", "crossFadeToMenu",
                          "runMenu", "blankScreen", "releaseResourceImages", "shutdownDisplay"}));
    for (const char* folder : {"~system", "~system/logs", "~system/upload"})
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
    std::string log = ReadText("~system/logs/Brindlemark.txt");
    EXPECT_NE(log.find(" - Brindlemark Version 1.0.0.1 - Start of Log\r\n\r\n"), std::string::npos);
    EXPECT_NE(log.find(" - Closing log\r\n"), std::string::npos);
    EXPECT_FALSE(LogIsOpen());
    WaitForClose();
    EXPECT_EQ(listener.received(), "TERM\r\n");
    EXPECT_FALSE(std::filesystem::exists("data"));  // no game, no record written
}

TEST_F(StartupTest, MainLoopCountsEachGameAndSavesTheRecord) {
    gMenuGames = 2;
    EXPECT_EQ(WinMain(), ExitNormal);
    EXPECT_EQ(std::count(gCalls.begin(), gCalls.end(), "playGame"), 2);
    // Balances 0 and 150 are both band 3: counter 4 counts both games, counter 31 their prizes.
    EXPECT_EQ(gAuditRecord.counter[4], 2);
    EXPECT_EQ(gAuditRecord.counter[31], 300);
    EXPECT_EQ(gAuditRecord.counter[39], 122);  // 61 whole seconds twice
    EXPECT_EQ(gAuditRecord.counter[27], 300);
    EXPECT_EQ(gAuditRecord.counter[35], 2);
    EXPECT_EQ(gAuditRecord.counter[13], 2);  // prize 150
    EXPECT_FLOAT_EQ(gAuditRecord.balance[0], 300.0f);
    EXPECT_EQ(std::filesystem::file_size("data/pellwarden.rec"), 176u + 20u + 8u + 49u);
}

TEST_F(StartupTest, TouchesDuringLoadingAreNotLost) {
    gStartup.loadGameImages = [] { HeadlessPostMessage(MakePressMessage(400, 300)); };
    EXPECT_EQ(WinMain(), ExitNormal);  // a touch during loading does nothing by itself
}

using StartupDeathTest = StartupTest;

TEST_F(StartupDeathTest, FolderThatCannotBeMadeEndsWithStatusZeroAndNoLog) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    { std::ofstream("~system") << "a file, not a folder"; }
    EXPECT_EXIT(WinMain(), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(std::filesystem::is_directory("~system"));
    EXPECT_TRUE(gCalls.empty());
}
}  // namespace
