// The rule variables that metering, fees, limits and idle detection work on, and
// InitTimeRule, which loads them from the settings.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "base/moment.h"
#include "base/setting_keys.h"

namespace vornik {

class Dbio;

enum class FeeType : std::int16_t { kBaoshi = 0, kJishi = 1, kBaoyue = 2, kLiuliang = 3 };

// Every tariff, in the order of their numbers.
inline constexpr FeeType kAllFeeTypes[] = {FeeType::kBaoshi, FeeType::kJishi, FeeType::kBaoyue,
                                           FeeType::kLiuliang};

// The tariff's name as the options dialog calls it: "包时", "计时", "包月", "流量".
const char* FeeTypeName(FeeType type);

// Megabytes are counted as the program shows them: 1024 × 1024 bytes.
inline constexpr double kBytesPerMB = 1024.0 * 1024.0;

// A daily window from its begin up to its end (seconds since midnight).
struct DiscountWindow {
    int beginSecond = 0;
    int endSecond = 0;
    double factor = 1;
};

struct HolidayDiscount {
    Moment firstDay;
    double totalDays = 0;
    double factor = 1;
};

// The discount tables of the entry "global", loaded with the rules so that
// pricing never reads the log. Rows without a usable time, day or factor are left
// out: they could never give a factor.
struct DiscountTables {
    std::vector<DiscountWindow> windows;
    std::vector<HolidayDiscount> holidays;
};

struct TimeRules {
    std::int16_t firstFeeDay = 0;  // 1..28 once loaded
    std::int16_t monthlyMaxTimeOn = 0;
    std::int16_t dailyMaxTimeOn = 0;
    std::int16_t eachMaxTimeOn = 0;
    std::int16_t monthlyMaxVolumeOn = 0;
    double monthlyMaxTime = 0;           // hours
    double dailyMaxTime = 0;             // hours
    double eachMaxTime = 0;              // hours
    double monthlyMaxVolume = 0;         // megabytes
    double maxSpeedForIdle = 0;          // KB/s
    std::int32_t idleTimeMax = 0;        // seconds
    std::int16_t idleTimeOutAction = 0;  // 0 hang up, 1 ask, 2 ping
    double phoneFee = 0;                 // per hour
    std::int16_t feeType = 0;            // FeeType
    double baoshiFee = 0;                // per billing month
    double baoshiTime = 0;               // hours per billing month
    double baoshiTimeOutFee = 0;         // per hour beyond the bundle
    std::int16_t baoshiMinFeeUnit = 0;
    std::int16_t baoshiTimeDiscounted = 0;
    std::int16_t baoshiWeekendDiscounted = 0;
    double baoshiWeekendDiscount = 0;
    std::int16_t baoshiHolidayDiscounted = 0;
    double jishiFee = 0;  // per hour
    std::int16_t jishiMinFeeUnit = 0;
    std::int16_t jishiTimeDiscounted = 0;
    std::int16_t jishiWeekendDiscounted = 0;
    double jishiWeekendDiscount = 0;
    std::int16_t jishiHolidayDiscounted = 0;
    double baoyueFee = 0;              // per month
    std::int16_t baoyueBeginTime = 0;  // day of month
    double liuliangFee = 0;            // per billing month
    double liuliangVolume = 0;         // megabytes per billing month
    double liuliangMBFee = 0;          // per megabyte beyond them
    bool soundOn = true;
    // Starts at full scale rather than 0 so the speed graph never divides by zero,
    // even when the stored value cannot be read.
    double maxSpeed = 70;  // KB/s at full height of the speed graph
    std::int32_t logOrderDescending = 0;
    DiscountTables discounts;
};

// What a tariff can be. A stored value beyond these is a slip or damage, never a
// tariff, and charging by it would be absurd: fees are 0 up to a million yuan an
// hour or a month, discount factors 0 (free) up to 10 (ten times the fee), hours,
// volumes, speeds and seconds are not negative.
inline constexpr double kMaxFee = 1e6;
inline constexpr double kMaxDiscountFactor = 10;
inline constexpr double kUnbounded = std::numeric_limits<double>::infinity();

struct ValueRange {
    double lowest = -kUnbounded;
    double highest = kUnbounded;
    bool Holds(double value) const { return value >= lowest && value <= highest; }
};

// The values the rules take for a numeric setting; InitTimeRule refuses any
// other. A setting read without bounds takes every number.
ValueRange UsableRange(const SettingKey& key);

// What InitTimeRule tells the rest of the program.
struct RuleReloadHooks {
    // LogOrder differs from the order last applied: rebuild the history view.
    std::function<void()> logOrderChanged;
    // The menus follow the rules (sound item, order item).
    std::function<void()> updateMenuStates;
    // Stored values that no tariff or limit can have were refused: `text` names
    // each setting, in words for the user. Called once per load at most.
    std::function<void(const std::string& text)> refused;
    // Off where the rules are only looked at inside a transaction that will be
    // rolled back: an out-of-range billing day is then read as 21 but not
    // written back.
    bool repairBillingDay = true;
};

// Loads the rules in the fixed order of their keys, then the discount tables. A
// value that cannot be converted leaves its variable as it was; so does a fee,
// factor or amount outside the bounds above, which is also traced and passed to
// `refused`; an out-of-range firstfeeday becomes 21 and "21" is written back;
// only the selected tariff's keys are read.
void InitTimeRule(Dbio& db, TimeRules& rules, const RuleReloadHooks& hooks = {});

// The rules with `type` as their tariff and that tariff's stored values, the
// others' values as they were: what the calls would cost under the user's own
// figures for another tariff.
void LoadTariffAs(Dbio& db, TimeRules& rules, FeeType type);

// Rows whose factor lies outside 0..kMaxDiscountFactor are left out and traced.
DiscountTables LoadDiscountTables(Dbio& db);

}  // namespace vornik
