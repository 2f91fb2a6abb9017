// A credit service held in memory, on a thread of the simulator, speaking the
// cabinet's protocol on a free loopback port with the service's own request reader
// and balance rules: fast enough for many thousands of games.
#pragma once
#include <cstdint>

// Starts the service with these balances; the port it listens on, or 0 when it
// cannot.
uint16_t StartMemoryService(int64_t credit, int64_t bank);
void StopMemoryService();
