#include "metering/limits.h"

#include "base/saturating.h"
#include "base/setting_keys.h"
#include "store/settings_store.h"

namespace vornik {
namespace {

bool IsOn(std::int16_t flag) {
    return flag == 1;
}

bool TimeCapReached(double capHours, std::int64_t usedSeconds) {
    return capHours * 3600 <= static_cast<double>(usedSeconds);
}

}  // namespace

LimitKind CheckLimits(const TimeRules& rules, const LimitUsage& usage) {
    const std::int64_t callSeconds = usage.callOpen ? usage.callSeconds : 0;
    const std::int64_t callBytes = usage.callOpen ? usage.callBytes : 0;
    if (IsOn(rules.monthlyMaxTimeOn) &&
        TimeCapReached(rules.monthlyMaxTime, usage.billingMonthSeconds + callSeconds)) {
        return LimitKind::kMonthlyTime;
    }
    if (IsOn(rules.dailyMaxTimeOn) &&
        TimeCapReached(rules.dailyMaxTime, usage.todaySeconds + callSeconds)) {
        return LimitKind::kDailyTime;
    }
    if (IsOn(rules.eachMaxTimeOn) && usage.callOpen &&
        TimeCapReached(rules.eachMaxTime, callSeconds)) {
        return LimitKind::kEachTime;
    }
    const double megabytes =
        static_cast<double>(SaturatingAdd(usage.billingMonthBytes, callBytes)) / 1024.0 / 1024.0;
    if (IsOn(rules.monthlyMaxVolumeOn) && megabytes > rules.monthlyMaxVolume) {
        return LimitKind::kMonthlyVolume;
    }
    return LimitKind::kNone;
}

std::string LimitMessage(LimitKind kind) {
    switch (kind) {
        case LimitKind::kMonthlyTime:
            return "超过每月最大使用时限";
        case LimitKind::kDailyTime:
            return "超过每天最大使用时限";
        case LimitKind::kEachTime:
            return "超过每次最大使用时限";
        case LimitKind::kMonthlyVolume:
            return "超过设定每月最大流量";
        case LimitKind::kNone:
            break;
    }
    return {};
}

LimitAlerts ReadLimitAlerts(SettingsStore& settings) {
    return {settings.IsOn(keys::kSoundAlert), settings.IsOn(keys::kDisconnectAlert),
            settings.IsOn(keys::kMessageAlert)};
}

}  // namespace vornik
