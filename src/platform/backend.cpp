#include "platform/backend.h"

namespace {
Backend gBackend = Backend::Sdl;
}

void SelectBackend(Backend backend) {
    gBackend = backend;
}

Backend CurrentBackend() {
    return gBackend;
}
