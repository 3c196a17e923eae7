// The whole vocabulary of the settings: every row the `config` table may hold,
// addressed by group and key (matched without regard to letter case), with the
// rule by which the program reads its text and what a missing key amounts to.
// Every reader of a setting goes through these descriptors.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vornik {

// How a setting's stored text is read.
enum class SettingRule {
    kText,          // the text as stored; a missing key reads as the fallback
    kOnWhenOne,     // a switch compared as text: on only when it reads "1"
    kOnUnlessZero,  // a switch compared as text: on unless it reads "0", so a missing key is on
    kOnWhenNumberIsOne,  // a switch compared as a number with 1 ("1.0" is on, a missing key is off)
    kNumber,             // a number: missing or empty reads as 0, text that is no number as none
    kNumberNotZero,      // as kNumber, but 0 (a missing key too) reads as the fallback
};

struct SettingKey {
    std::string_view group;
    std::string_view key;
    SettingRule rule;
    // What a missing key reads as, in stored form (for kNumberNotZero also 0).
    std::string_view fallback = {};
};

// A setting as read: nothing when no row holds it, the empty text when its value is
// null, the stored text otherwise.
using ConfigValue = std::optional<std::string>;

bool ReadSwitch(const SettingKey& key, const ConfigValue& stored);
// Nothing when the stored text is no number: the reader keeps what it had.
std::optional<double> ReadNumber(const SettingKey& key, const ConfigValue& stored);
double FallbackNumber(const SettingKey& key);
std::string ReadText(const SettingKey& key, const ConfigValue& stored);

namespace keys {
using enum SettingRule;
// timerule: billing month and usage limits
// A day outside 1..28 reads as the fallback, which is then written back.
inline constexpr SettingKey kFirstFeeDay{"timerule", "firstfeeday", kNumber, "21"};
inline constexpr SettingKey kChkMonthlyMaxTime{"timerule", "chkMonthlyMaxTime", kOnUnlessZero};
inline constexpr SettingKey kChkDailyMaxTime{"timerule", "chkDailyMaxTime", kOnUnlessZero};
inline constexpr SettingKey kChkEachMaxTime{"timerule", "chkEachMaxTime", kOnUnlessZero};
inline constexpr SettingKey kChkMonthlyMaxVolume{"timerule", "chkMonthlyMaxVolume", kOnWhenOne};
inline constexpr SettingKey kMonthlyMaxTime{"timerule", "MonthlyMaxTime", kNumber};
inline constexpr SettingKey kDailyMaxTime{"timerule", "dailyMaxTime", kNumber};
inline constexpr SettingKey kEachMaxTime{"timerule", "EachMaxTime", kNumber};
inline constexpr SettingKey kMonthlyMaxVolume{"timerule", "monthlyMaxVolume", kNumber};
// The billing month and the limits the month's forecast has warned of, so each is
// told once a month: "2026-12:14" (monthly time and monthly volume).
inline constexpr SettingKey kForecastWarned{"timerule", "ForecastWarned", kText};
// TimeOutAlert: what a reached limit does
inline constexpr SettingKey kSoundAlert{"TimeOutAlert", "soundalert", kOnWhenNumberIsOne};
inline constexpr SettingKey kMessageAlert{"TimeOutAlert", "messagealert", kOnWhenNumberIsOne};
inline constexpr SettingKey kDisconnectAlert{"TimeOutAlert", "disconnectalert", kOnWhenNumberIsOne};
// ConnectIdle: idle detection
inline constexpr SettingKey kMaxSpeedForIdle{"ConnectIdle", "MaxSpeedForIdle", kNumber};
inline constexpr SettingKey kIdleTimeMax{"ConnectIdle", "IdleTimeMax", kNumber};
inline constexpr SettingKey kIdleTimeOutAction{"ConnectIdle", "IdleTimeOutAction", kNumber};
// Fee: tariffs
inline constexpr SettingKey kPhoneFee{"Fee", "PhoneFee", kNumber};
inline constexpr SettingKey kFeeType{"Fee", "FeeType", kNumber};
inline constexpr SettingKey kBaoshiFee{"Fee", "BaoshiFee", kNumber};
inline constexpr SettingKey kBaoshiTime{"Fee", "BaoshiTime", kNumber};
inline constexpr SettingKey kBaoshiTimeOutFee{"Fee", "BaoshiTimeOutFee", kNumber};
inline constexpr SettingKey kBaoshiMinFeeUnit{"Fee", "BaoshiMinFeeUnit", kNumber};
inline constexpr SettingKey kBaoshiTimeDiscounted{"Fee", "BaoshiTimeDiscounted", kNumber};
inline constexpr SettingKey kBaoshiWeekendDiscounted{"Fee", "BaoshiWeekendDiscounted", kNumber};
inline constexpr SettingKey kBaoshiWeekendDiscount{"Fee", "BaoshiWeekendDiscount", kNumber};
inline constexpr SettingKey kBaoshiHolidayDiscounted{"Fee", "BaoshiHolidayDiscounted", kNumber};
inline constexpr SettingKey kJishiFee{"Fee", "JishiFee", kNumber};
inline constexpr SettingKey kJishiMinFeeUnit{"Fee", "JishiMinFeeUnit", kNumber};
inline constexpr SettingKey kJishiTimeDiscounted{"Fee", "JishiTimeDiscounted", kNumber};
inline constexpr SettingKey kJishiWeekendDiscounted{"Fee", "JishiWeekendDiscounted", kNumber};
inline constexpr SettingKey kJishiWeekendDiscount{"Fee", "JishiWeekendDiscount", kNumber};
inline constexpr SettingKey kJishiHolidayDiscounted{"Fee", "JishiHolidayDiscounted", kNumber};
inline constexpr SettingKey kBaoyueFee{"Fee", "BaoyueFee", kNumber};
inline constexpr SettingKey kBaoyueBeginTime{"Fee", "BaoyueBeginTime", kNumber};
// The volume tariff: an optional fee per billing month, the megabytes it
// includes, and the fee per megabyte beyond them.
inline constexpr SettingKey kLiuliangFee{"Fee", "LiuliangFee", kNumber};
inline constexpr SettingKey kLiuliangVolume{"Fee", "LiuliangVolume", kNumber};
inline constexpr SettingKey kLiuliangMBFee{"Fee", "LiuliangMBFee", kNumber};
// Whether the history shows beside its fees what the bills so far suggest.
inline constexpr SettingKey kBillCorrection{"Fee", "BillCorrection", kOnWhenOne};
// global: sounds, display, start-up, schedule, link check, password, skin, entry
inline constexpr SettingKey kCloseSound{"global", "CloseSound", kOnWhenOne};
inline constexpr SettingKey kMaxSpeed{"global", "MaxSpeed", kNumberNotZero, "70"};
inline constexpr SettingKey kLogOrder{"global", "LogOrder", kNumber};
inline constexpr SettingKey kWindowAutoHide{"global", "WindowAutoHide", kOnWhenOne};
inline constexpr SettingKey kShowFloatWin{"global", "ShowFloatWin", kOnWhenOne};
inline constexpr SettingKey kAlpha{"global", "alpha", kNumberNotZero, "150"};
inline constexpr SettingKey kAutoDial{"global", "AutoDial", kOnWhenOne};
inline constexpr SettingKey kAutoReDial{"global", "AutoReDial", kOnWhenOne};
inline constexpr SettingKey kAutoDialTime{"global", "AutoDialTime", kOnWhenOne};
// The schedule's hour and minute are compared as text with the present ones
// written without a leading zero, so "07" never matches.
inline constexpr SettingKey kAutoDialTimeHour{"global", "AutoDialTimeHour", kText};
inline constexpr SettingKey kAutoDialTimeMinute{"global", "AutoDialTimeMinute", kText};
inline constexpr SettingKey kAutoDisconnectTime{"global", "AutoDisconnectTime", kOnWhenOne};
inline constexpr SettingKey kAutoDisconnectTimeHour{"global", "AutoDisconnectTimeHour", kText};
inline constexpr SettingKey kAutoDisconnectTimeMinute{"global", "AutoDisconnectTimeMinute", kText};
inline constexpr SettingKey kCheckIp{"global", "checkip", kText};
inline constexpr SettingKey kPwdProtected{"global", "PwdProtected", kOnWhenOne};
inline constexpr SettingKey kPassword{"global", "password", kText};
inline constexpr SettingKey kNewStyle{"global", "newstyle", kNumberNotZero, "3"};
inline constexpr SettingKey kLastEntry{"global", "LastEntry", kText};
// global: which events are also told by a desktop notification (all on until
// the user turns one off)
inline constexpr SettingKey kNotifyLimits{"global", "NotifyLimits", kOnUnlessZero};
inline constexpr SettingKey kNotifyIdle{"global", "NotifyIdle", kOnUnlessZero};
inline constexpr SettingKey kNotifyLinkCheck{"global", "NotifyLinkCheck", kOnUnlessZero};
inline constexpr SettingKey kNotifyDialErrors{"global", "NotifyDialErrors", kOnUnlessZero};
inline constexpr SettingKey kNotifyConnection{"global", "NotifyConnection", kOnUnlessZero};
}  // namespace keys

// Every key above, in the order of the settings table.
std::span<const SettingKey> AllSettingKeys();

// The key of the vocabulary with this group and name, whatever their letter case.
const SettingKey* FindSettingKey(std::string_view group, std::string_view key);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vornik
