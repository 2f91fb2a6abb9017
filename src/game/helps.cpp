#include "game/helps.h"

#include "display/display.h"
#include "game/screen_drawing.h"
#include "game/session.h"

namespace {
// Frames show 0 to 5 helps left (frame count + 1); more than that cannot be shown or held.
constexpr int32_t MostHelps = 5;

void UpdateHelpCounter(uint8_t& count, const char* picture, int32_t x, int32_t y, uint16_t n,
                       bool add) {
    if (GetGameState() == GameLost) return;
    DrawKeyedPicture(picture, count + 1, x, y);
    if (add) {
        int32_t more = count + n;
        count = static_cast<uint8_t>(more > MostHelps ? MostHelps : more);
    } else if (n > 0) {
        for (int32_t i = count; i > count - n && i > 0; --i) {
            DrawKeyedPicture(picture, i, x, y);
            Present();
        }
        // Spending more than is there leaves none rather than wrapping round.
        count = static_cast<uint8_t>(n >= count ? 0 : count - n);
    }
    DrawKeyedPicture(picture, count + 1, x, y);
}
}  // namespace

void UpdatePassCounter(uint16_t n, bool add) {
    UpdateHelpCounter(gGameSession.PassesLeft, PassButtonSprite, 6, 466, n, add);
}

void UpdateJokerCounter(uint16_t n, bool add) {
    UpdateHelpCounter(gGameSession.JokersLeft, JokerButtonSprite, 670, 466, n, add);
}
