// The signals that ask the program to end (SIGTERM from a service manager's stop, SIGINT from a
// console, SIGHUP when its terminal goes). The handler only notes the signal; the window's message
// queue hands it to the program as a message at its next pump, so the program ends where it is
// safe to.
#pragma once

// Catches SIGTERM, SIGINT and SIGHUP from now on (before the windowing system starts, so that it
// does not take them for itself).
void CatchEndSignals();
// Puts the default handling back.
void ReleaseEndSignals();
// The signal noted since the last call, or 0; taking it clears it.
int TakeEndSignal();
