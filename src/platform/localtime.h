// Local date and time, as the log stamp and the record's date read them.
#pragma once
#include <string>

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

LocalTime GetLocalTime();
// The current UTC time to the millisecond, "YYYY-MM-DDTHH:MM:SS.mmmZ", as the credit service's
// ledger and the fleet's messages stamp what they record.
std::string UtcNow();
