// The cabinet program: no command line, no settings.
#include "platform/backend.h"
#include "platform/signals.h"
#include "shell/startup.h"

int main() {
    CatchEndSignals();
    SelectBackend(Backend::Sdl);
    return WinMain();
}
