#include "platform/localtime.h"

#include <time.h>

namespace {
bool gOverride = false;
LocalTime gOverrideTime;
}  // namespace

LocalTime GetLocalTime() {
    if (gOverride) return gOverrideTime;
    time_t now = time(nullptr);
    tm parts{};
    localtime_r(&now, &parts);
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

void SetLocalTimeOverride(const LocalTime& time) {
    gOverrideTime = time;
    gOverride = true;
}

void ClearLocalTimeOverride() {
    gOverride = false;
}
