// Where the 800x600 picture goes on a screen of any size, and where a touch on that screen lands
// in the picture. The picture is scaled as large as the screen's shape allows, with its own shape
// kept, and centred: black bars fill the rest, at the sides of a wide screen and above and below a
// tall (portrait) one.
#pragma once
#include <cstdint>

struct PictureFit {
    int x = 0, y = 0;           // the picture's top-left corner on the screen
    int width = 0, height = 0;  // its size there
    // True when the scale is a whole number (1:1, 2:1...), where every picture pixel becomes a
    // square of screen pixels and no smoothing is wanted.
    bool wholeScale = false;
};

// The picture of pictureWidth x pictureHeight on a screen of screenWidth x screenHeight.
// A screen with no area gets the picture at 1:1 in its corner.
PictureFit FitPicture(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight);

// The picture pixel under screen position (sx, sy), given in screen pixels (fractions allowed);
// false when the position lies in a bar (or off the screen), which is no touch at all.
bool ScreenToPicture(const PictureFit& fit, int pictureWidth, int pictureHeight, double sx,
                     double sy, int16_t& x, int16_t& y);
