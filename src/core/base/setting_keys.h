// The whole vocabulary of the settings: every row the `config` table may hold,
// addressed by group and key (matched without regard to letter case), with what
// the program makes of the key when no row holds it.
#pragma once

#include <span>
#include <string_view>

namespace vornik {

struct SettingKey {
    std::string_view group;
    std::string_view key;
    // What an absent key amounts to, as the readers of the key treat it.
    std::string_view absent;
};

namespace keys {
// timerule: billing month and usage limits
inline constexpr SettingKey kFirstFeeDay{"timerule", "firstfeeday", "21, written back"};
inline constexpr SettingKey kChkMonthlyMaxTime{"timerule", "chkMonthlyMaxTime", "on unless \"0\""};
inline constexpr SettingKey kChkDailyMaxTime{"timerule", "chkDailyMaxTime", "on unless \"0\""};
inline constexpr SettingKey kChkEachMaxTime{"timerule", "chkEachMaxTime", "on unless \"0\""};
inline constexpr SettingKey kChkMonthlyMaxVolume{"timerule", "chkMonthlyMaxVolume",
                                                 "off (only \"1\" is on)"};
inline constexpr SettingKey kMonthlyMaxTime{"timerule", "MonthlyMaxTime", "0"};
inline constexpr SettingKey kDailyMaxTime{"timerule", "dailyMaxTime", "0"};
inline constexpr SettingKey kEachMaxTime{"timerule", "EachMaxTime", "0"};
inline constexpr SettingKey kMonthlyMaxVolume{"timerule", "monthlyMaxVolume", "0"};
// TimeOutAlert: what a reached limit does
inline constexpr SettingKey kSoundAlert{"TimeOutAlert", "soundalert", "off"};
inline constexpr SettingKey kMessageAlert{"TimeOutAlert", "messagealert", "off"};
inline constexpr SettingKey kDisconnectAlert{"TimeOutAlert", "disconnectalert", "off"};
// ConnectIdle: idle detection
inline constexpr SettingKey kMaxSpeedForIdle{"ConnectIdle", "MaxSpeedForIdle", "0"};
inline constexpr SettingKey kIdleTimeMax{"ConnectIdle", "IdleTimeMax", "0"};
inline constexpr SettingKey kIdleTimeOutAction{"ConnectIdle", "IdleTimeOutAction", "0 (hang up)"};
// Fee: tariffs
inline constexpr SettingKey kPhoneFee{"Fee", "PhoneFee", "0"};
inline constexpr SettingKey kFeeType{"Fee", "FeeType", "0 (Baoshi)"};
inline constexpr SettingKey kBaoshiFee{"Fee", "BaoshiFee", "0"};
inline constexpr SettingKey kBaoshiTime{"Fee", "BaoshiTime", "0"};
inline constexpr SettingKey kBaoshiTimeOutFee{"Fee", "BaoshiTimeOutFee", "0"};
inline constexpr SettingKey kBaoshiMinFeeUnit{"Fee", "BaoshiMinFeeUnit", "off"};
inline constexpr SettingKey kBaoshiTimeDiscounted{"Fee", "BaoshiTimeDiscounted", "off"};
inline constexpr SettingKey kBaoshiWeekendDiscounted{"Fee", "BaoshiWeekendDiscounted", "off"};
inline constexpr SettingKey kBaoshiWeekendDiscount{"Fee", "BaoshiWeekendDiscount", "0"};
inline constexpr SettingKey kBaoshiHolidayDiscounted{"Fee", "BaoshiHolidayDiscounted", "off"};
inline constexpr SettingKey kJishiFee{"Fee", "JishiFee", "0"};
inline constexpr SettingKey kJishiMinFeeUnit{"Fee", "JishiMinFeeUnit", "off"};
inline constexpr SettingKey kJishiTimeDiscounted{"Fee", "JishiTimeDiscounted", "off"};
inline constexpr SettingKey kJishiWeekendDiscounted{"Fee", "JishiWeekendDiscounted", "off"};
inline constexpr SettingKey kJishiWeekendDiscount{"Fee", "JishiWeekendDiscount", "0"};
inline constexpr SettingKey kJishiHolidayDiscounted{"Fee", "JishiHolidayDiscounted", "off"};
inline constexpr SettingKey kBaoyueFee{"Fee", "BaoyueFee", "0"};
inline constexpr SettingKey kBaoyueBeginTime{"Fee", "BaoyueBeginTime", "0"};
// global: sounds, display, start-up, schedule, link check, password, skin, entry
inline constexpr SettingKey kCloseSound{"global", "CloseSound", "sounds on"};
inline constexpr SettingKey kMaxSpeed{"global", "MaxSpeed", "70 (0 also reads as 70)"};
inline constexpr SettingKey kLogOrder{"global", "LogOrder", "0 (ascending)"};
inline constexpr SettingKey kWindowAutoHide{"global", "WindowAutoHide", "off"};
inline constexpr SettingKey kShowFloatWin{"global", "ShowFloatWin", "off"};
inline constexpr SettingKey kAlpha{"global", "alpha", "150 (0 or not a number also)"};
inline constexpr SettingKey kAutoDial{"global", "AutoDial", "off"};
inline constexpr SettingKey kAutoReDial{"global", "AutoReDial", "off"};
inline constexpr SettingKey kAutoDialTime{"global", "AutoDialTime", "off"};
inline constexpr SettingKey kAutoDialTimeHour{"global", "AutoDialTimeHour", "0"};
inline constexpr SettingKey kAutoDialTimeMinute{"global", "AutoDialTimeMinute", "0"};
inline constexpr SettingKey kAutoDisconnectTime{"global", "AutoDisconnectTime", "off"};
inline constexpr SettingKey kAutoDisconnectTimeHour{"global", "AutoDisconnectTimeHour", "0"};
inline constexpr SettingKey kAutoDisconnectTimeMinute{"global", "AutoDisconnectTimeMinute", "0"};
inline constexpr SettingKey kCheckIp{"global", "checkip", "empty"};
inline constexpr SettingKey kPwdProtected{"global", "PwdProtected", "off (only \"1\" is on)"};
inline constexpr SettingKey kPassword{"global", "password", "empty"};
inline constexpr SettingKey kNewStyle{"global", "newstyle", "3 (0 also reads as 3)"};
inline constexpr SettingKey kLastEntry{"global", "LastEntry", "none"};
}  // namespace keys

// Every key above, in the order of the settings table.
std::span<const SettingKey> AllSettingKeys();

// The key of the vocabulary with this group and name, whatever their letter case.
const SettingKey* FindSettingKey(std::string_view group, std::string_view key);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vornik
