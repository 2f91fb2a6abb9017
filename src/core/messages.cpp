#include "core/messages.h"

#include "platform/window.h"

TouchPosition TouchPoint = {-1, -1};

namespace {
void (*gEndMessageHandler)(int signal) = nullptr;

void EndMessage(int signal) {
    if (gEndMessageHandler) gEndMessageHandler(signal);
}
}  // namespace

void SetEndMessageHandler(void (*handler)(int signal)) {
    gEndMessageHandler = handler;
}

int64_t MainWindowProc(uint32_t message, uint64_t wParam, int64_t lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            TouchPoint.x = static_cast<int16_t>(lParam & 0xFFFF);
            TouchPoint.y = static_cast<int16_t>((lParam >> 16) & 0xFFFF);
            return 1;
        case WM_DESTROY:
            PlatformPostQuitMessage(0);
            return 1;
        case WM_ENDSESSION:
            EndMessage(static_cast<int>(wParam));
            return 1;
        default:
            return PlatformDefWindowProc(message, wParam, lParam);
    }
}

void PumpMessages() {
    WindowMessage message;
    while (PlatformPeekMessage(message)) {
        PlatformTranslateMessage(message);
        PlatformDispatchMessage(message);
    }
}

void FlushInput() {
    WindowMessage message;
    while (PlatformPeekMessage(message)) {
        // An end asked for from outside is not input: it is never thrown away.
        if (message.message == WM_ENDSESSION) EndMessage(static_cast<int>(message.wParam));
    }
    TouchPoint = {-1, -1};
}
