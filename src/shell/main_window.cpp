#include "shell/main_window.h"

#include "core/messages.h"
#include "platform/window.h"
#include "shell/ending.h"

bool CreateMainWindow() {
    SetEndMessageHandler(AskToEnd);
    if (!PlatformRegisterClass("BRINDLEMARK", MainWindowProc)) return false;
    if (!PlatformCreateWindow("BRINDLEMARK", PlatformScreenWidth(), PlatformScreenHeight()))
        return false;
    PlatformShowWindow();
    PlatformShowCursor(false);
    return true;
}
