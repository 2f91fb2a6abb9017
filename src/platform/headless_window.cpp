// The headless window's input: presses scheduled at clock times or asked of a press source, and
// messages posted by tests.
#include <vector>

#include "platform/clock.h"
#include "platform/headless.h"
#include "platform/window_queue.h"

namespace {
struct ScheduledPress {
    uint32_t at;
    int16_t x, y;
};

std::vector<ScheduledPress> gScheduled;
PressSource gPressSource;

bool SignedReached(uint32_t now, uint32_t at) {
    return static_cast<int32_t>(now - at) >= 0;
}
}  // namespace

void HeadlessCollectPresses() {
    if (gScheduled.empty() && !gPressSource) return;
    std::deque<WindowMessage>& queue = WindowQueue();
    uint32_t now = timeGetTime();
    for (size_t i = 0; i < gScheduled.size();) {
        if (SignedReached(now, gScheduled[i].at)) {
            queue.push_back(MakePressMessage(gScheduled[i].x, gScheduled[i].y));
            gScheduled.erase(gScheduled.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
    int16_t x = 0, y = 0;
    if (gPressSource && gPressSource(now, x, y)) queue.push_back(MakePressMessage(x, y));
}

void HeadlessSchedulePress(uint32_t atTime, int16_t x, int16_t y) {
    gScheduled.push_back({atTime, x, y});
}

void HeadlessSetPressSource(PressSource source) {
    gPressSource = std::move(source);
}

void HeadlessPostMessage(const WindowMessage& message) {
    WindowQueue().push_back(message);
}

void HeadlessResetInput() {
    WindowForget();
    gScheduled.clear();
    gPressSource = nullptr;
}

uint64_t HeadlessMessagesTaken() {
    return WindowMessagesTaken();
}
