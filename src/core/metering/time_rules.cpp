#include "metering/time_rules.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "base/setting_keys.h"
#include "base/text_excerpt.h"
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

// The values each bounded setting may take, and its name as the user knows it.
struct Bounds {
    const SettingKey* key;
    std::string_view name;
    ValueRange range;
};

constexpr ValueRange kFee{0, kMaxFee};
constexpr ValueRange kFactor{0, kMaxDiscountFactor};
constexpr ValueRange kAmount{0, kUnbounded};
// The idle time is kept as a 32-bit count of seconds.
constexpr ValueRange kSeconds{0, std::numeric_limits<std::int32_t>::max()};

constexpr std::array kBounds{
    Bounds{&kMonthlyMaxTime, "每月最大使用时限（小时）", kAmount},
    Bounds{&kDailyMaxTime, "每日最大使用时限（小时）", kAmount},
    Bounds{&kEachMaxTime, "每次最大使用时限（小时）", kAmount},
    Bounds{&kMonthlyMaxVolume, "每月最大流量（MB）", kAmount},
    Bounds{&kMaxSpeedForIdle, "空闲判定速度（KB/s）", kAmount},
    Bounds{&kIdleTimeMax, "空闲时限（秒）", kSeconds},
    Bounds{&kPhoneFee, "电话费（元/小时）", kFee},
    Bounds{&kBaoshiFee, "包时月费（元/月）", kFee},
    Bounds{&kBaoshiTime, "包时时长（小时/月）", kAmount},
    Bounds{&kBaoshiTimeOutFee, "包时超时费用（元/小时）", kFee},
    Bounds{&kBaoshiWeekendDiscount, "包时周末折扣", kFactor},
    Bounds{&kJishiFee, "计时费用（元/小时）", kFee},
    Bounds{&kJishiWeekendDiscount, "计时周末折扣", kFactor},
    Bounds{&kBaoyueFee, "包月费用（元/月）", kFee},
    Bounds{&kLiuliangFee, "流量月费（元/月）", kFee},
    Bounds{&kLiuliangVolume, "流量包含（MB/月）", kAmount},
    Bounds{&kLiuliangMBFee, "流量超出费用（元/MB）", kFee},
    Bounds{&kMaxSpeed, "速度图满刻度（KB/s）", kAmount},
};

const Bounds* BoundsOf(const SettingKey& key) {
    for (const Bounds& bounds : kBounds) {
        if (EqualsIgnoringCase(bounds.key->group, key.group) &&
            EqualsIgnoringCase(bounds.key->key, key.key)) {
            return &bounds;
        }
    }
    return nullptr;
}

std::string BoundText(double bound) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", bound);
    return buffer;
}

std::string RangeText(const ValueRange& range) {
    if (range.highest == kUnbounded) {
        return "应不小于 " + BoundText(range.lowest);
    }
    return "应在 " + BoundText(range.lowest) + " 到 " + BoundText(range.highest) + " 之间";
}

class RuleReader {
  public:
    explicit RuleReader(Dbio& db) : db_(db), settings_(db) {}

    bool Switch(const SettingKey& key) { return settings_.IsOn(key); }
    void Whole(const SettingKey& key, std::int16_t& variable) {
        Assign(variable, AsWhole<std::int16_t>(settings_.Number(key)));
    }
    void Whole(const SettingKey& key, std::int32_t& variable) {
        Assign(variable, AsWhole<std::int32_t>(settings_.Number(key)));
    }
    // A value that is no number or lies outside the setting's usable range is
    // refused: the variable keeps what it had.
    void Seconds(const SettingKey& key, std::int32_t& variable) {
        const auto value = AsWhole<std::int32_t>(settings_.Number(key));
        if (value && UsableRange(key).Holds(*value)) {
            variable = *value;
        } else {
            Refuse(key, std::to_string(variable));
        }
    }
    void Real(const SettingKey& key, double& variable) {
        const auto value = settings_.Number(key);
        if (value && UsableRange(key).Holds(*value)) {
            variable = *value;
        } else {
            Refuse(key, BoundText(variable));
        }
    }
    void Save(const SettingKey& key, std::string_view value) { settings_.Save(key, value); }

    // One line for the user per refused setting; empty when none was refused.
    const std::string& Refusals() const { return refusals_; }

  private:
    void Refuse(const SettingKey& key, const std::string& kept) {
        const Bounds& bounds = *BoundsOf(key);
        const std::string stored = Excerpt(settings_.Text(key));
        db_.Log().Write("setting " + std::string(key.group) + "/" + std::string(key.key) +
                        " refused: \"" + stored + "\" is not a number from " +
                        BoundText(bounds.range.lowest) + " to " + BoundText(bounds.range.highest) +
                        ", kept " + kept);
        refusals_ += "\n" + std::string(bounds.name) + "：“" + stored + "”，" +
                     RangeText(bounds.range) + "，仍使用 " + kept;
    }

    Dbio& db_;
    SettingsStore settings_;
    std::string refusals_;
};

void LoadBillingDay(RuleReader& read, TimeRules& rules, bool repair) {
    read.Whole(kFirstFeeDay, rules.firstFeeDay);
    if (rules.firstFeeDay < 1 || rules.firstFeeDay > 28) {
        rules.firstFeeDay = static_cast<std::int16_t>(FallbackNumber(kFirstFeeDay));
        if (repair) {
            read.Save(kFirstFeeDay, kFirstFeeDay.fallback);
        }
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
    read.Seconds(kIdleTimeMax, rules.idleTimeMax);
    read.Whole(kIdleTimeOutAction, rules.idleTimeOutAction);
}

void LoadTariffValues(RuleReader& read, TimeRules& rules, FeeType type) {
    switch (type) {
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
        case FeeType::kLiuliang:
            read.Real(kLiuliangFee, rules.liuliangFee);
            read.Real(kLiuliangVolume, rules.liuliangVolume);
            read.Real(kLiuliangMBFee, rules.liuliangMBFee);
            break;
    }
}

// Only the selected tariff's keys are read; the others keep what they had.
void LoadTariff(RuleReader& read, TimeRules& rules) {
    read.Real(kPhoneFee, rules.phoneFee);
    read.Whole(kFeeType, rules.feeType);
    LoadTariffValues(read, rules, static_cast<FeeType>(rules.feeType));
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
// factor at all, so it never replaces the one already found. Nor is one no
// tariff can have, which is traced with `row`, the row as the user wrote it.
std::optional<double> FactorOf(const Field& field, const ErrorLog& log, const std::string& row) {
    if (field.IsNull() || field.Text().find_first_not_of(" \t") == std::string::npos) {
        return std::nullopt;
    }
    const auto factor = field.Number();
    if (factor && !(*factor >= 0 && *factor <= kMaxDiscountFactor)) {
        log.Write("discount " + row + " left out: its factor " + Excerpt(field.Text()) +
                  " is outside 0.." + BoundText(kMaxDiscountFactor));
        return std::nullopt;
    }
    return factor;
}

}  // namespace

const char* FeeTypeName(FeeType type) {
    switch (type) {
        case FeeType::kJishi:
            return "计时";
        case FeeType::kBaoyue:
            return "包月";
        case FeeType::kLiuliang:
            return "流量";
        case FeeType::kBaoshi:
            break;
    }
    return "包时";
}

ValueRange UsableRange(const SettingKey& key) {
    const Bounds* bounds = BoundsOf(key);
    return bounds != nullptr ? bounds->range : ValueRange{};
}

void InitTimeRule(Dbio& db, TimeRules& rules, const RuleReloadHooks& hooks) {
    RuleReader read(db);
    LoadBillingDay(read, rules, hooks.repairBillingDay);
    LoadLimits(read, rules);
    LoadIdle(read, rules);
    LoadTariff(read, rules);
    LoadDisplay(read, rules, hooks);
    if (hooks.updateMenuStates) {
        hooks.updateMenuStates();
    }
    rules.discounts = LoadDiscountTables(db);
    if (!read.Refusals().empty() && hooks.refused) {
        hooks.refused("设置中有不合理的值，已忽略，仍使用原来的值：" + read.Refusals());
    }
}

void LoadTariffAs(Dbio& db, TimeRules& rules, FeeType type) {
    RuleReader read(db);
    rules.feeType = static_cast<std::int16_t>(type);
    LoadTariffValues(read, rules, type);
}

DiscountTables LoadDiscountTables(Dbio& db) {
    DiscountTables tables;
    for (const Row& row : db.QueryRows(
             "SELECT beginTime, endTime, discount FROM discounttime WHERE entryName = 'global'")) {
        const auto begin = ParseTimeOfDay(row[0].Text());
        const auto end = ParseTimeOfDay(row[1].Text());
        const auto factor = FactorOf(
            row[2], db.Log(), "window " + Excerpt(row[0].Text()) + "-" + Excerpt(row[1].Text()));
        if (begin && end && factor) {
            tables.windows.push_back({*begin, *end, *factor});
        }
    }
    for (const Row& row : db.QueryRows(
             "SELECT beginTime, totalDays, discount FROM holiday WHERE entryName = 'global'")) {
        const auto firstDay = ParseMoment(row[0].Text());
        const auto totalDays = row[1].IsNull() ? std::nullopt : row[1].Number();
        const auto factor = FactorOf(row[2], db.Log(), "holiday from " + Excerpt(row[0].Text()));
        if (firstDay && totalDays && factor) {
            tables.holidays.push_back({*firstDay, *totalDays, *factor});
        }
    }
    return tables;
}

}  // namespace vornik
