// Local date and time, as the log stamp and the record's date read them.
#pragma once

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

LocalTime GetLocalTime();
// Tests: answer this time instead of the system's, until cleared.
void SetLocalTimeOverride(const LocalTime& time);
void ClearLocalTimeOverride();
