// Whole games drawn for real on the headless display with the staged pictures: the screens that
// matter are written as PNG files under <build>/screens for a person to look at, and checked for
// showing what they should where a check can tell.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "display/display.h"
#include "display/resource_images.h"
#include "game/answer_clock.h"
#include "game/game.h"
#include "game/message_panel.h"
#include "game/outside.h"
#include "game/packs.h"
#include "game/session.h"
#include "platform/display_device.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "records/audit.h"
#include "support/game_harness.h"

namespace fs = std::filesystem;

namespace {
fs::path BuildDir() {
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path();
}

// The screens to catch, each at the first moment its condition holds after a present.
struct Shot {
    std::string name;
    bool (*when)();
};

int32_t LastPanel() {
    return gOutsideLog.panels.empty() ? -1 : gOutsideLog.panels.back();
}
bool FinalStage() {
    return gGameSession.JokersLeft == 0 && gGameSession.TotalTasksCompleted >= 14;
}

const Shot Shots[] = {
    {"opening", [] { return LastPanel() == PanelOpening2; }},
    {"question",
     [] {
         int32_t left = AnswerTimeLeft();
         return !FinalStage() && gPlayer.asking && left > 9000 && left < 15000;
     }},
    {"question-warning",
     [] {
         int32_t left = AnswerTimeLeft();
         return !FinalStage() && gPlayer.asking && left > 0 && left < 4000 && gAnswerClock.warnOn;
     }},
    {"knock-out", [] { return LastPanel() == PanelSeveralKnockedOut; }},
    {"final-opening",
     [] {
         // Some frames into the slide: the pictures have left the grid but not arrived.
         size_t run = 0;
         for (auto p = gOutsideLog.panels.rbegin(); p != gOutsideLog.panels.rend(); ++p, ++run)
             if (*p != PanelFinalOpening) break;
         return run >= 8 && run <= 12;
     }},
    {"final-question", [] { return FinalStage() && gPlayer.asking; }},
    {"win", [] { return LastPanel() >= PanelWinFirst && LastPanel() <= PanelWinFirst + 7; }},
    {"game-over", [] { return LastPanel() == PanelGameOver; }},
};

std::map<std::string, std::vector<uint8_t>> gTaken;

// Looks at the screen after each present (the player is asked at every message peek).
void TakeDueShots() {
    DisplaySurface* screen = DisplayPrimarySurface();
    if (!screen) return;
    for (const Shot& shot : Shots) {
        if (gTaken.count(shot.name) || !shot.when()) continue;
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(ReadSurfaceRgba(*screen, rgba));
        gTaken[shot.name] = rgba;
        fs::create_directories(BuildDir() / "screens");
        WriteSurfacePng(*screen, (BuildDir() / "screens" / (shot.name + ".png")).string());
    }
}

class ScreenshotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        stage_ = BuildDir() / "stage";
        if (!fs::exists(stage_ / "Graphic_resource" / "Main" / "Box.bmp") ||
            !fs::exists(stage_ / "Questions" / "trueorfalse" / "Data48.pck"))
            GTEST_SKIP() << "the staged pictures and packs are not built";
        previous_ = fs::current_path();
        fs::current_path(stage_);
        StartGameHarness(31337, {.drawing = true});
        ASSERT_TRUE(InitDisplay());
        ASSERT_TRUE(CheckQuestionPacks());
        LoadGameImages();
        HeadlessSetPressSource([](uint32_t now, int16_t& x, int16_t& y) {
            TakeDueShots();
            return gScriptedPress(now, x, y);
        });
    }
    void TearDown() override {
        if (previous_.empty()) return;
        ForgetGameSprites();
        ReleaseResourceImages();
        ShutdownDisplay();
        StopGameHarness();
        fs::current_path(previous_);
    }
    bool Taken(const std::string& name) const { return gTaken.count(name) > 0; }

    fs::path stage_, previous_;
};

// Pixels in a rectangle that differ between two shots.
int Differing(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int x0, int y0, int x1,
              int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            for (int c = 0; c < 3; ++c)
                if (a[(y * 800 + x) * 4 + c] != b[(y * 800 + x) * 4 + c]) {
                    ++n;
                    break;
                }
    return n;
}
}  // namespace

TEST_F(ScreenshotTest, AWonAndALostGameShowEveryScreen) {
    gAuditRecord.balance[0] = 0.0f;
    gGameSession.WinAmount = 0;
    // A slow first answer shows the clock running and its warning; the joker shows more teams go.
    gPlayer.answerBelowMs = 3500;
    ScriptPlays({Play::Right});
    std::vector<Play> rest = {Play::Joker};
    for (int i = 0; i < 16; ++i) rest.push_back(Play::Right);
    gPlayer.plays.insert(gPlayer.plays.end(), rest.begin(), rest.end());
    gOnPlayTaken = [] { gPlayer.answerBelowMs = 1000000; };
    PlayGame();
    EXPECT_EQ(GetGameState(), GameFinalWon);
    ScriptPlays({Play::Wrong, Play::Wrong});
    PlayGame();
    EXPECT_EQ(GetGameState(), GameLost);

    for (const Shot& shot : Shots) EXPECT_TRUE(Taken(shot.name)) << shot.name << " not seen";
    if (!Taken("question") || !Taken("question-warning") || !Taken("opening")) return;
    // The warning strip lights the top of the message panel; the grid is the same picture.
    EXPECT_GT(Differing(gTaken["question"], gTaken["question-warning"], 205, 430, 424, 466), 500);
    // The timer picture has moved on between the two.
    EXPECT_GT(Differing(gTaken["question"], gTaken["question-warning"], 576, 437, 659, 582), 50);
    // The question screen shows the grid of the opening, and a different panel below it.
    EXPECT_EQ(Differing(gTaken["opening"], gTaken["question"], 0, 47, 800, 420), 0);
    EXPECT_GT(Differing(gTaken["opening"], gTaken["question"], 135, 430, 480, 588), 1000);
}
