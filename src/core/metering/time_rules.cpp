#include "metering/time_rules.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "base/setting_keys.h"
#include "store/dbio.h"

namespace vornik {
namespace {

using namespace keys;

// A whole number of type T, rounded half to even as the settings were always
// read; nothing when the text is not a number or does not fit.
template <typename T>
std::optional<T> AsWhole(const ConfigValue& value) {
    const auto number = ParseNumber(value.value_or(""));
    if (!number) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<T>::min() || rounded > std::numeric_limits<T>::max()) {
        return std::nullopt;
    }
    return static_cast<T>(rounded);
}

std::optional<double> AsReal(const ConfigValue& value) {
    return ParseNumber(value.value_or(""));
}

template <typename T>
void Assign(T& variable, const std::optional<T>& value) {
    if (value) {
        variable = *value;
    }
}

class RuleReader {
  public:
    explicit RuleReader(Dbio& db) : db_(db) {}

    ConfigValue Text(const SettingKey& key) { return db_.GetConfig(key); }
    void Whole(const SettingKey& key, std::int16_t& variable) {
        Assign(variable, AsWhole<std::int16_t>(Text(key)));
    }
    void Whole(const SettingKey& key, std::int32_t& variable) {
        Assign(variable, AsWhole<std::int32_t>(Text(key)));
    }
    void Real(const SettingKey& key, double& variable) { Assign(variable, AsReal(Text(key))); }
    // Stored "0" is off; anything else, an absent key included, is on.
    std::int16_t OnUnlessZero(const SettingKey& key) {
        return Text(key).value_or("") != "0" ? 1 : 0;
    }

  private:
    Dbio& db_;
};

void LoadBillingDay(Dbio& db, RuleReader& read, TimeRules& rules) {
    read.Whole(kFirstFeeDay, rules.firstFeeDay);
    if (rules.firstFeeDay < 1 || rules.firstFeeDay > 28) {
        rules.firstFeeDay = 21;
        db.SaveConfig(kFirstFeeDay, "21");
    }
}

void LoadLimits(RuleReader& read, TimeRules& rules) {
    rules.monthlyMaxTimeOn = read.OnUnlessZero(kChkMonthlyMaxTime);
    rules.dailyMaxTimeOn = read.OnUnlessZero(kChkDailyMaxTime);
    rules.eachMaxTimeOn = read.OnUnlessZero(kChkEachMaxTime);
    rules.monthlyMaxVolumeOn = read.Text(kChkMonthlyMaxVolume).value_or("") == "1" ? 1 : 0;
    read.Real(kMonthlyMaxTime, rules.monthlyMaxTime);
    read.Real(kDailyMaxTime, rules.dailyMaxTime);
    read.Real(kEachMaxTime, rules.eachMaxTime);
    read.Real(kMonthlyMaxVolume, rules.monthlyMaxVolume);
}

void LoadIdle(RuleReader& read, TimeRules& rules) {
    read.Real(kMaxSpeedForIdle, rules.maxSpeedForIdle);
    read.Whole(kIdleTimeMax, rules.idleTimeMax);
    read.Whole(kIdleTimeOutAction, rules.idleTimeOutAction);
}

// Only the selected tariff's keys are read; the others keep what they had.
void LoadTariff(RuleReader& read, TimeRules& rules) {
    read.Real(kPhoneFee, rules.phoneFee);
    read.Whole(kFeeType, rules.feeType);
    switch (static_cast<FeeType>(rules.feeType)) {
        case FeeType::kBaoshi:
            read.Real(kBaoshiFee, rules.baoshiFee);
            read.Real(kBaoshiTime, rules.baoshiTime);
            read.Real(kBaoshiTimeOutFee, rules.baoshiTimeOutFee);
            read.Whole(kBaoshiMinFeeUnit, rules.baoshiMinFeeUnit);
            read.Whole(kBaoshiTimeDiscounted, rules.baoshiTimeDiscounted);
            read.Whole(kBaoshiWeekendDiscounted, rules.baoshiWeekendDiscounted);
            read.Real(kBaoshiWeekendDiscount, rules.baoshiWeekendDiscount);
            read.Whole(kBaoshiHolidayDiscounted, rules.baoshiHolidayDiscounted);
            break;
        case FeeType::kJishi:
            read.Real(kJishiFee, rules.jishiFee);
            read.Whole(kJishiMinFeeUnit, rules.jishiMinFeeUnit);
            read.Whole(kJishiTimeDiscounted, rules.jishiTimeDiscounted);
            read.Whole(kJishiWeekendDiscounted, rules.jishiWeekendDiscounted);
            read.Real(kJishiWeekendDiscount, rules.jishiWeekendDiscount);
            read.Whole(kJishiHolidayDiscounted, rules.jishiHolidayDiscounted);
            break;
        case FeeType::kBaoyue:
            read.Real(kBaoyueFee, rules.baoyueFee);
            read.Whole(kBaoyueBeginTime, rules.baoyueBeginTime);
            break;
    }
}

void LoadDisplay(RuleReader& read, TimeRules& rules, const RuleReloadHooks& hooks) {
    rules.soundOn = read.Text(kCloseSound).value_or("") != "1";
    read.Real(kMaxSpeed, rules.maxSpeed);
    if (rules.maxSpeed == 0) {
        rules.maxSpeed = 70;
    }
    std::int32_t logOrder = rules.logOrderDescending;
    read.Whole(kLogOrder, logOrder);
    if (logOrder != rules.logOrderDescending) {
        rules.logOrderDescending = logOrder;
        if (hooks.logOrderChanged) {
            hooks.logOrderChanged();
        }
    }
}

}  // namespace

void InitTimeRule(Dbio& db, TimeRules& rules, const RuleReloadHooks& hooks) {
    RuleReader read(db);
    LoadBillingDay(db, read, rules);
    LoadLimits(read, rules);
    LoadIdle(read, rules);
    LoadTariff(read, rules);
    LoadDisplay(read, rules, hooks);
    if (hooks.updateMenuStates) {
        hooks.updateMenuStates();
    }
}

}  // namespace vornik
