// The cabinet program: no command line, no settings.
#include "platform/backend.h"
#include "shell/startup.h"

int main() {
    SelectBackend(Backend::Sdl);
    return WinMain();
}
