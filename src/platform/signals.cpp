#include "platform/signals.h"

#include <signal.h>

namespace {
volatile sig_atomic_t gEndSignal = 0;
constexpr int EndSignals[] = {SIGTERM, SIGINT, SIGHUP};

void NoteEndSignal(int signal) {
    gEndSignal = signal;
}

void Handle(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : EndSignals) sigaction(signal, &action, nullptr);
}
}  // namespace

void CatchEndSignals() {
    Handle(NoteEndSignal);
}

void ReleaseEndSignals() {
    Handle(SIG_DFL);
}

int TakeEndSignal() {
    int signal = gEndSignal;
    if (signal != 0) gEndSignal = 0;
    return signal;
}
