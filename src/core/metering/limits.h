// Usage limits: time per billing month, per day and per call, and traffic per
// billing month. Time caps are reached at equality, the volume cap only when it
// is exceeded.
#pragma once

#include <cstdint>
#include <string>

#include "metering/time_rules.h"

namespace vornik {

class SettingsStore;

enum class LimitKind : std::int16_t {
    kNone = 0,
    kMonthlyTime = 1,
    kDailyTime = 2,
    kEachTime = 3,
    kMonthlyVolume = 4
};

// What the limits are measured against: the recorded calls of the entry and the
// running call (which counts only while it is open).
struct LimitUsage {
    bool callOpen = false;
    std::int64_t callSeconds = 0;
    std::int64_t callBytes = 0;  // received + sent
    std::int64_t billingMonthSeconds = 0;
    std::int64_t todaySeconds = 0;
    std::int64_t billingMonthBytes = 0;
};

// The first cap reached, in the fixed order monthly, daily, per call, volume.
LimitKind CheckLimits(const TimeRules& rules, const LimitUsage& usage);

std::string LimitMessage(LimitKind kind);

// What a reached limit does; each switch is on when its setting reads as 1.
struct LimitAlerts {
    bool sound = false;
    bool disconnect = false;
    bool message = false;
};
LimitAlerts ReadLimitAlerts(SettingsStore& settings);

}  // namespace vornik
