// The menu and rules screens as they reach the screen: the headless display at 32 and 16 bits,
// the staged pictures, a real credit service. Set BRINDLEMARK_MENU_SHOTS to a folder to keep the
// frames looked at as PNG files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "credit/balance_panels.h"
#include "credit/link.h"
#include "display/display.h"
#include "display/resource_images.h"
#include "display/sprites.h"
#include "game/buttons.h"
#include "game/game.h"
#include "game/outside.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/display_device.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "records/audit.h"
#include "shell/main_window.h"
#include "shell/menu.h"
#include "shell/menu_sound.h"
#include "support/credit_service.h"
#include "support/headless_start.h"

namespace {
struct Rgb {
    int r, g, b;
};

// Close enough for a colour that went through a 16-bit screen.
::testing::AssertionResult SameColour(Rgb a, Rgb b) {
    if (std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.r << "," << a.g << "," << a.b << ") vs ("
                                         << b.r << "," << b.g << "," << b.b << ")";
}

// A copy of the picture on screen.
struct Frame {
    std::vector<uint8_t> rgba;
    Rgb At(int x, int y) const {
        size_t i = (static_cast<size_t>(y) * ScreenWidth + static_cast<size_t>(x)) * 4;
        if (rgba.size() < i + 4) return {-1, -1, -1};
        return {rgba[i], rgba[i + 1], rgba[i + 2]};
    }
};

// The picture on screen; kept as a PNG named shotName (when not null) if shots are asked for.
Frame Screen(const char* shotName) {
    Frame frame;
    if (DisplaySurface* primary = DisplayPrimarySurface()) {
        ReadSurfaceRgba(*primary, frame.rgba);
        const char* dir = std::getenv("BRINDLEMARK_MENU_SHOTS");
        if (dir && shotName)
            WriteSurfacePng(*primary, std::string(dir) + "/" + shotName + "-" +
                                          std::to_string(DisplayDepth()) + ".png");
    }
    return frame;
}

// A pixel of a sprite frame as the sprite file holds it; magenta marks a pixel not drawn.
Rgb SpritePixel(const char* path, int frame, int dx, int dy) {
    DisplaySurfacePtr sprite = LoadSprite(path, 2);
    if (!sprite) return {-1, -1, -1};
    int y = frame * (sprite->Height() / 2) + dy;
    const uint8_t* p = sprite->Pixels() + static_cast<ptrdiff_t>(y) * sprite->Pitch() + dx * 4;
    return {p[2], p[1], p[0]};
}

// A full-screen resource image as decoded for the display.
Frame Picture(int32_t id) {
    ResourceImage image;
    LoadResourceImage(image, id, 1);
    Frame frame;
    if (DisplaySurface* surface = ResourceImageSurface(id)) ReadSurfaceRgba(*surface, frame.rgba);
    return frame;
}

bool IsKey(Rgb c) {
    return c.r == 255 && c.g == 0 && c.b == 255;
}

class MenuScreenTest : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(std::filesystem::path(BRINDLEMARK_STAGE_DIR) /
                                     "Graphic_resource/Menu/OptionBackgroundBLank.BMP"))
            GTEST_SKIP() << "no staged pictures";
        oldDir_ = std::filesystem::current_path();
        std::filesystem::current_path(BRINDLEMARK_STAGE_DIR);
        StartHeadlessClock(3000000);
        ASSERT_TRUE(CreateMainWindow());
        ResetDisplayDeviceFaults();
        for (int d = 32; d > GetParam(); d -= 8) RefuseDisplayMode(d, DDERR_INVALIDMODE);
        ASSERT_TRUE(InitDisplay());
        ASSERT_EQ(DisplayDepth(), GetParam());
        // The menu draws the button sprites start-up loaded with the game's pictures.
        LoadGameImages();
        FlushInput();
        GameStake = 50;
        ResetAuditRecord();
        service_ = std::make_unique<RunningCreditService>();
        ASSERT_TRUE(service_->ok());
        gCreditServicePort = service_->port();
        ASSERT_TRUE(CreateCreditSocket());
        ASSERT_TRUE(ConnectCreditService());
        // The menu starts on its background, as the cross-fade of start-up leaves it.
        ResourceImage background;
        LoadResourceImage(background, 16, 1);
        DrawResourceFrame(background, 0, 0, 0, nullptr, false);
        began_ = timeGetTime();
    }
    void TearDown() override {
        if (!service_) return;
        CloseCreditLink();
        service_.reset();
        ForgetGameSprites();
        ReleaseResourceImages();
        ShutdownImageManager();
        ShutdownDisplay();
        ResetDisplayDeviceFaults();
        HeadlessResetInput();
        ClockUseReal();
        gCreditServicePort = 6667;
        std::filesystem::current_path(oldDir_);
    }

    std::unique_ptr<RunningCreditService> service_;
    std::filesystem::path oldDir_;
    uint32_t began_ = 0;
};

TEST_P(MenuScreenTest, CoinTurnsTheSignIntoThePlayButtonWithinAFrame) {
    // Sample points: the middle of each sprite's frame, where both are drawn solid.
    const RECT* play = nullptr;
    ASSERT_NE(LoadSprite(PlayButtonSprite, 2), nullptr);
    play = GetFrameRect(PlayButtonSprite, 0);
    ASSERT_NE(play, nullptr);
    const int dx = (play->right - play->left) / 2, dy = (play->bottom - play->top) / 2;
    Rgb playPixel = SpritePixel(PlayButtonSprite, 0, dx, dy);
    Rgb signPixel = SpritePixel(InsertCoinsSprite, 1, dx, dy);
    ASSERT_FALSE(IsKey(playPixel));
    ASSERT_FALSE(IsKey(signPixel));
    ASSERT_FALSE(SameColour(playPixel, signPixel)) << "the sample cannot tell them apart";

    Frame before, after;
    uint32_t insertedAt = 0;
    HeadlessSetPressSource([&](uint32_t now, int16_t&, int16_t&) {
        if (insertedAt == 0 && now - began_ >= 2000) {
            before = Screen("menu-no-money");
            EXPECT_TRUE(service_->Insert(100));
            insertedAt = now;
        } else if (insertedAt != 0 && after.rgba.empty() && now - insertedAt >= 20) {
            after = Screen("menu-after-coin");
        }
        return false;
    });
    HeadlessSchedulePress(began_ + 3000, 10, 460);  // Main Menu, to end the test
    EXPECT_FALSE(RunMenu());
    EXPECT_TRUE(SameColour(before.At(607 + dx, 395 + dy), signPixel));
    EXPECT_TRUE(SameColour(after.At(607 + dx, 395 + dy), playPixel));
}

TEST_P(MenuScreenTest, RulesPictureShowsUntilTouchedThenTheMenuReturns) {
    // A point above the buttons, where the redrawn menu frame leaves the background alone, at
    // which the rules and menu pictures differ.
    int x = -1, y = -1;
    Frame rulesPicture = Picture(3), menuPicture = Picture(16);
    Rgb rules{}, menu{};
    for (int py = 130; py < 400 && x < 0; py += 7) {
        for (int px = 130; px < 600 && x < 0; px += 7) {
            rules = rulesPicture.At(px, py);
            menu = menuPicture.At(px, py);
            if (!SameColour(rules, menu)) x = px, y = py;
        }
    }
    ASSERT_GE(x, 0) << "the rules picture looks like the menu background";

    Frame during, after;
    HeadlessSetPressSource([&](uint32_t now, int16_t& px, int16_t& py) {
        uint32_t t = now - began_;
        if (during.rgba.empty() && t >= 3000) {
            during = Screen("rules");
            px = 400;
            py = 300;
            return true;  // closes the rules
        }
        if (after.rgba.empty() && t >= 5000) after = Screen("after-rules");
        return false;
    });
    HeadlessSchedulePress(began_ + 1000, 400, 500);  // Rules
    HeadlessSchedulePress(began_ + 6000, 10, 460);   // Main Menu
    EXPECT_FALSE(RunMenu());
    EXPECT_TRUE(SameColour(during.At(x, y), rules));
    EXPECT_TRUE(SameColour(after.At(x, y), menu));
}

INSTANTIATE_TEST_SUITE_P(Depths, MenuScreenTest, ::testing::Values(32, 16));
}  // namespace

namespace {
// Pixels of a rectangle of the back buffer, in a comparable form.
std::vector<uint8_t> BackBufferArea(int left, int top, int right, int bottom) {
    std::vector<uint8_t> all, area;
    if (DisplaySurface* back = DisplayBackBuffer()) ReadSurfaceRgba(*back, all);
    if (all.empty()) return area;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            for (int c = 0; c < 4; ++c)
                area.push_back(all[(static_cast<size_t>(y) * ScreenWidth + x) * 4 + c]);
    return area;
}

TEST_P(MenuScreenTest, PanelsShowTheBalancesAndAFailedServiceAsZero) {
    // The credit's amount box, and the bank's.
    auto credit = [] { return BackBufferArea(594, 51, 594 + 169, 51 + 52); };
    auto bank = [] { return BackBufferArea(38, 51, 38 + 168, 51 + 47); };
    DrawCreditPanel();
    DrawBankPanel();
    std::vector<uint8_t> creditZero = credit(), bankZero = bank();
    ASSERT_FALSE(creditZero.empty());

    ASSERT_TRUE(service_->Insert(150));
    DrawCreditPanel();
    DrawBankPanel();
    EXPECT_NE(credit(), creditZero) << "150 pence must not look like none";
    EXPECT_EQ(bank(), bankZero);
    std::vector<uint8_t> creditPaid = credit();

    // 150 pence in the bank reads the same as in the credit, in the bank's own box.
    ASSERT_TRUE(AddBank(150));
    DrawBankPanel();
    EXPECT_NE(bank(), bankZero);

    // Once the service is gone the balances read as nothing.
    CloseCreditLink();
    DrawCreditPanel();
    EXPECT_EQ(credit(), creditZero);
    EXPECT_NE(credit(), creditPaid);
}
}  // namespace

namespace {
TEST_P(MenuScreenTest, MainMenuGoesDownAndComesBackUp) {
    ASSERT_NE(LoadSprite(MainMenuButtonSprite, 2), nullptr);
    const RECT* rect = GetFrameRect(MainMenuButtonSprite, 0);
    ASSERT_NE(rect, nullptr);
    // A column down the middle of the button, where its two frames differ.
    const int dx = (rect->right - rect->left) / 2;
    int dy = -1;
    for (int y = 0; y < rect->bottom - rect->top && dy < 0; ++y) {
        Rgb up = SpritePixel(MainMenuButtonSprite, 0, dx, y);
        Rgb down = SpritePixel(MainMenuButtonSprite, 1, dx, y);
        if (!IsKey(up) && !IsKey(down) && !SameColour(up, down)) dy = y;
    }
    ASSERT_GE(dy, 0) << "the button's two frames look alike";

    // The button's look on screen, each time it changes, from the press on.
    const Rgb up = SpritePixel(MainMenuButtonSprite, 0, dx, dy);
    const Rgb down = SpritePixel(MainMenuButtonSprite, 1, dx, dy);
    std::vector<std::string> looks;
    HeadlessSetPressSource([&](uint32_t now, int16_t&, int16_t&) {
        if (now - began_ < 1000) return false;
        Rgb c = Screen(nullptr).At(dx, 443 + dy);
        std::string look = SameColour(c, up) ? "up" : SameColour(c, down) ? "down" : "other";
        if (looks.empty() || looks.back() != look) looks.push_back(look);
        return false;
    });
    HeadlessSchedulePress(began_ + 1000, 10, 460);
    EXPECT_FALSE(RunMenu());
    EXPECT_EQ(looks, (std::vector<std::string>{"up", "down", "up"}));
}
}  // namespace
