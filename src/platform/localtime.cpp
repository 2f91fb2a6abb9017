#include "platform/localtime.h"

#include <time.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/headless.h"

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

std::string UtcNow() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>(ms));
    return text;
}
