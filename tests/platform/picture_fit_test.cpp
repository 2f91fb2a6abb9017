// Where the 800x600 picture lies on screens of every shape, and where presses on them land.
#include "platform/picture_fit.h"

#include <gtest/gtest.h>

namespace {
struct Expected {
    int screenWidth, screenHeight, x, y, width, height;
    bool wholeScale;
};

TEST(PictureFit, FillsEachScreenAsFarAsItsShapeAllowsCentredWithBars) {
    const Expected cases[] = {
        {800, 600, 0, 0, 800, 600, true},         // as it is
        {1600, 1200, 0, 0, 1600, 1200, true},     // doubled: every pixel a sharp square
        {1024, 768, 0, 0, 1024, 768, false},      // same shape, larger
        {640, 480, 0, 0, 640, 480, false},        // smaller
        {1920, 1080, 240, 0, 1440, 1080, false},  // wide: bars at the sides
        {1366, 768, 171, 0, 1024, 768, false},    // odd width: the spare column on the right
        {1280, 1024, 0, 32, 1280, 960, false},    // squarer: bars above and below
        {1080, 1920, 0, 555, 1080, 810, false},   // portrait
        {0, 0, 0, 0, 800, 600, true},             // no screen yet: 1:1 in the corner
    };
    for (const Expected& e : cases) {
        PictureFit fit = FitPicture(e.screenWidth, e.screenHeight, 800, 600);
        SCOPED_TRACE(std::to_string(e.screenWidth) + "x" + std::to_string(e.screenHeight));
        EXPECT_EQ(fit.x, e.x);
        EXPECT_EQ(fit.y, e.y);
        EXPECT_EQ(fit.width, e.width);
        EXPECT_EQ(fit.height, e.height);
        EXPECT_EQ(fit.wholeScale, e.wholeScale);
    }
}

TEST(PictureFit, PressesLandOnThePicturePixelUnderThemAndPressesInBarsAreNone) {
    const PictureFit wide = FitPicture(1920, 1080, 800, 600);  // 1.8 screen pixels a pixel
    int16_t x = -1, y = -1;
    ASSERT_TRUE(ScreenToPicture(wide, 800, 600, 240.0, 0.0, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    ASSERT_TRUE(ScreenToPicture(wide, 800, 600, 1679.5, 1079.5, x, y));
    EXPECT_EQ(x, 799);
    EXPECT_EQ(y, 599);
    ASSERT_TRUE(ScreenToPicture(wide, 800, 600, 240 + 526.5 * 1.8, 473.5 * 1.8, x, y));
    EXPECT_EQ(x, 526);
    EXPECT_EQ(y, 473);
    // Either bar, and just outside the picture's edges, is no press at all.
    for (double bx : {0.0, 120.0, 239.9, 1680.0, 1919.0})
        EXPECT_FALSE(ScreenToPicture(wide, 800, 600, bx, 900.0, x, y)) << bx;

    const PictureFit tall = FitPicture(1080, 1920, 800, 600);
    EXPECT_FALSE(ScreenToPicture(tall, 800, 600, 540.0, 554.9, x, y));
    EXPECT_FALSE(ScreenToPicture(tall, 800, 600, 540.0, 1365.0, x, y));
    ASSERT_TRUE(ScreenToPicture(tall, 800, 600, 540.0, 555.0, x, y));
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 0);
    // Off the screen altogether (a press reported outside the window).
    EXPECT_FALSE(ScreenToPicture(tall, 800, 600, -5.0, 900.0, x, y));
}
}  // namespace
