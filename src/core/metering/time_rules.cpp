#include "metering/time_rules.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "base/setting_keys.h"
#include "store/dbio.h"
#include "store/settings_store.h"

namespace vornik {
namespace {

using namespace keys;

// A whole number of type T, rounded half to even as the settings were always
// read; nothing when the text is not a number or does not fit.
template <typename T>
std::optional<T> AsWhole(const std::optional<double>& number) {
    if (!number) {
        return std::nullopt;
    }
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<T>::min() || rounded > std::numeric_limits<T>::max()) {
        return std::nullopt;
    }
    return static_cast<T>(rounded);
}

template <typename T>
void Assign(T& variable, const std::optional<T>& value) {
    if (value) {
        variable = *value;
    }
}

class RuleReader {
  public:
    explicit RuleReader(Dbio& db) : settings_(db) {}

    bool Switch(const SettingKey& key) { return settings_.IsOn(key); }
    void Whole(const SettingKey& key, std::int16_t& variable) {
        Assign(variable, AsWhole<std::int16_t>(settings_.Number(key)));
    }
    void Whole(const SettingKey& key, std::int32_t& variable) {
        Assign(variable, AsWhole<std::int32_t>(settings_.Number(key)));
    }
    void Real(const SettingKey& key, double& variable) { Assign(variable, settings_.Number(key)); }
    void Save(const SettingKey& key, std::string_view value) { settings_.Save(key, value); }

  private:
    SettingsStore settings_;
};

void LoadBillingDay(RuleReader& read, TimeRules& rules) {
    read.Whole(kFirstFeeDay, rules.firstFeeDay);
    if (rules.firstFeeDay < 1 || rules.firstFeeDay > 28) {
        rules.firstFeeDay = static_cast<std::int16_t>(FallbackNumber(kFirstFeeDay));
        read.Save(kFirstFeeDay, kFirstFeeDay.fallback);
    }
}

void LoadLimits(RuleReader& read, TimeRules& rules) {
    rules.monthlyMaxTimeOn = read.Switch(kChkMonthlyMaxTime) ? 1 : 0;
    rules.dailyMaxTimeOn = read.Switch(kChkDailyMaxTime) ? 1 : 0;
    rules.eachMaxTimeOn = read.Switch(kChkEachMaxTime) ? 1 : 0;
    rules.monthlyMaxVolumeOn = read.Switch(kChkMonthlyMaxVolume) ? 1 : 0;
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
    rules.soundOn = !read.Switch(kCloseSound);
    read.Real(kMaxSpeed, rules.maxSpeed);
    std::int32_t logOrder = rules.logOrderDescending;
    read.Whole(kLogOrder, logOrder);
    if (logOrder != rules.logOrderDescending) {
        rules.logOrderDescending = logOrder;
        if (hooks.logOrderChanged) {
            hooks.logOrderChanged();
        }
    }
}

// A factor read from a discount table: a null, blank or non-numeric value is no
// factor at all, so it never replaces the one already found.
std::optional<double> FactorOf(const Field& field) {
    if (field.IsNull() || field.Text().find_first_not_of(" \t") == std::string::npos) {
        return std::nullopt;
    }
    return field.Number();
}

}  // namespace

void InitTimeRule(Dbio& db, TimeRules& rules, const RuleReloadHooks& hooks) {
    RuleReader read(db);
    LoadBillingDay(read, rules);
    LoadLimits(read, rules);
    LoadIdle(read, rules);
    LoadTariff(read, rules);
    LoadDisplay(read, rules, hooks);
    if (hooks.updateMenuStates) {
        hooks.updateMenuStates();
    }
    rules.discounts = LoadDiscountTables(db);
}

DiscountTables LoadDiscountTables(Dbio& db) {
    DiscountTables tables;
    for (const Row& row : db.QueryRows(
             "SELECT beginTime, endTime, discount FROM discounttime WHERE entryName = 'global'")) {
        const auto begin = ParseTimeOfDay(row[0].Text());
        const auto end = ParseTimeOfDay(row[1].Text());
        const auto factor = FactorOf(row[2]);
        if (begin && end && factor) {
            tables.windows.push_back({*begin, *end, *factor});
        }
    }
    for (const Row& row : db.QueryRows(
             "SELECT beginTime, totalDays, discount FROM holiday WHERE entryName = 'global'")) {
        const auto firstDay = ParseMoment(row[0].Text());
        const auto totalDays = row[1].IsNull() ? std::nullopt : row[1].Number();
        const auto factor = FactorOf(row[2]);
        if (firstDay && totalDays && factor) {
            tables.holidays.push_back({*firstDay, *totalDays, *factor});
        }
    }
    return tables;
}

}  // namespace vornik
