#include "game/message_panel.h"

int32_t WinPanelFrame(int32_t amount) {
    constexpr int32_t prizes[8] = {50, 100, 150, 200, 300, 400, 500, 600};
    for (int32_t i = 0; i < 8; ++i)
        if (prizes[i] == amount) return PanelWinFirst + i;
    return -1;
}
