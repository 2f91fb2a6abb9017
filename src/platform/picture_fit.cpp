#include "platform/picture_fit.h"

#include <cmath>

PictureFit FitPicture(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight) {
    PictureFit fit;
    if (screenWidth <= 0 || screenHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) {
        fit.width = pictureWidth;
        fit.height = pictureHeight;
        fit.wholeScale = true;
        return fit;
    }
    // Compared as cross products, so that no rounding decides which side gets the bars.
    const int64_t wideBy = int64_t{screenWidth} * pictureHeight;
    const int64_t tallBy = int64_t{screenHeight} * pictureWidth;
    if (wideBy >= tallBy) {  // as wide as the picture's shape or wider: bars at the sides
        fit.height = screenHeight;
        fit.width = static_cast<int>((int64_t{screenHeight} * pictureWidth + pictureHeight / 2) /
                                     pictureHeight);
    } else {  // taller: bars above and below
        fit.width = screenWidth;
        fit.height = static_cast<int>((int64_t{screenWidth} * pictureHeight + pictureWidth / 2) /
                                      pictureWidth);
    }
    fit.x = (screenWidth - fit.width) / 2;
    fit.y = (screenHeight - fit.height) / 2;
    fit.wholeScale = fit.width % pictureWidth == 0 && fit.height % pictureHeight == 0 &&
                     fit.width / pictureWidth == fit.height / pictureHeight;
    return fit;
}

bool ScreenToPicture(const PictureFit& fit, int pictureWidth, int pictureHeight, double sx,
                     double sy, int16_t& x, int16_t& y) {
    if (fit.width <= 0 || fit.height <= 0) return false;
    const double px = std::floor((sx - fit.x) * pictureWidth / fit.width);
    const double py = std::floor((sy - fit.y) * pictureHeight / fit.height);
    if (!(px >= 0 && px < pictureWidth && py >= 0 && py < pictureHeight)) return false;
    x = static_cast<int16_t>(px);
    y = static_cast<int16_t>(py);
    return true;
}
