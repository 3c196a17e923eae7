#include "base/setting_keys.h"

#include <array>

#include "base/number_text.h"

namespace vornik {
namespace {

using namespace keys;

constexpr std::array kAllKeys{
    kFirstFeeDay,
    kChkMonthlyMaxTime,
    kChkDailyMaxTime,
    kChkEachMaxTime,
    kChkMonthlyMaxVolume,
    kMonthlyMaxTime,
    kDailyMaxTime,
    kEachMaxTime,
    kMonthlyMaxVolume,
    kForecastWarned,
    kSoundAlert,
    kMessageAlert,
    kDisconnectAlert,
    kMaxSpeedForIdle,
    kIdleTimeMax,
    kIdleTimeOutAction,
    kPhoneFee,
    kFeeType,
    kBaoshiFee,
    kBaoshiTime,
    kBaoshiTimeOutFee,
    kBaoshiMinFeeUnit,
    kBaoshiTimeDiscounted,
    kBaoshiWeekendDiscounted,
    kBaoshiWeekendDiscount,
    kBaoshiHolidayDiscounted,
    kJishiFee,
    kJishiMinFeeUnit,
    kJishiTimeDiscounted,
    kJishiWeekendDiscounted,
    kJishiWeekendDiscount,
    kJishiHolidayDiscounted,
    kBaoyueFee,
    kBaoyueBeginTime,
    kLiuliangFee,
    kLiuliangVolume,
    kLiuliangMBFee,
    kBillCorrection,
    kCloseSound,
    kMaxSpeed,
    kLogOrder,
    kWindowAutoHide,
    kShowFloatWin,
    kAlpha,
    kAutoDial,
    kAutoReDial,
    kAutoDialTime,
    kAutoDialTimeHour,
    kAutoDialTimeMinute,
    kAutoDisconnectTime,
    kAutoDisconnectTimeHour,
    kAutoDisconnectTimeMinute,
    kCheckIp,
    kPwdProtected,
    kPassword,
    kNewStyle,
    kLastEntry,
    kNotifyLimits,
    kNotifyIdle,
    kNotifyLinkCheck,
    kNotifyDialErrors,
    kNotifyConnection,
};

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool ReadSwitch(const SettingKey& key, const ConfigValue& stored) {
    const std::string text = stored.value_or("");
    switch (key.rule) {
        case SettingRule::kOnWhenOne:
            return text == "1";
        case SettingRule::kOnUnlessZero:
            return text != "0";
        case SettingRule::kOnWhenNumberIsOne: {
            const auto number = ParseNumber(text);
            return number && *number == 1;
        }
        default:
            return ParseNumber(text).value_or(0) != 0;
    }
}

double FallbackNumber(const SettingKey& key) {
    return ParseNumber(key.fallback).value_or(0);
}

std::optional<double> ReadNumber(const SettingKey& key, const ConfigValue& stored) {
    const auto number = ParseNumber(stored.value_or(""));
    if (key.rule == SettingRule::kNumberNotZero && number == 0.0) {
        return FallbackNumber(key);
    }
    return number;
}

std::string ReadText(const SettingKey& key, const ConfigValue& stored) {
    return stored.value_or(std::string(key.fallback));
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::span<const SettingKey> AllSettingKeys() {
    return kAllKeys;
}

const SettingKey* FindSettingKey(std::string_view group, std::string_view key) {
    for (const SettingKey& candidate : kAllKeys) {
        if (EqualsIgnoringCase(candidate.group, group) && EqualsIgnoringCase(candidate.key, key)) {
            return &candidate;
        }
    }
    return nullptr;
}

}  // namespace vornik
