// The simulator's report: what an operator tunes a cabinet by.
#pragma once
#include <cstdint>

#include "sim_player.h"

struct SimMoney {
    int64_t startCredit = 0, startBank = 0;
    int64_t endCredit = 0, endBank = 0;
    uint32_t clockStart = 0;  // the cabinet's millisecond clock at start-up
    uint32_t clockRan = 0;    // how far it ran (less than a wrap of the clock)
};

// Prints the report to standard output; false when the money does not add up.
bool PrintSimReport(const SimSettings& settings, const SimMoney& money, bool memoryService);
