// The rules as the options dialog edits them: every value of the form in one
// plain struct, read from the settings, checked before anything is written, and
// written back in a fixed order. The dialog only shows and edits these values.
#pragma once

#include <optional>
#include <string>

#include "base/result.h"
#include "metering/time_rules.h"

namespace vornik {

class SettingsStore;

// The tabs of the dialog, in their order.
enum class OptionsTab { kDial = 0, kIdle = 1, kFee = 2, kPassword = 3, kOther = 4, kAutomatic = 5 };

// The boxes whose text must be a number.
enum class OptionField {
    kFirstFeeDay,
    kMonthlyMaxTime,
    kDailyMaxTime,
    kEachMaxTime,
    kMonthlyMaxVolume,
    kMaxSpeedForIdle,
    kIdleTimeMax,
    kPhoneFee,
    kBaoshiTime,
    kBaoshiFee,
    kBaoshiTimeOutFee,
    kBaoshiWeekendDiscount,
    kJishiFee,
    kJishiWeekendDiscount,
    kBaoyueFee,
    kLiuliangFee,
    kLiuliangVolume,
    kLiuliangMBFee,
    kMaxSpeed,
};

inline constexpr const char* kEnterANumber = "请输入数字。";
inline constexpr const char* kEnterABillingDay = "请输入1-28之间的整数。";
inline constexpr const char* kPasswordEmpty = "密码不能为空！";
inline constexpr const char* kPasswordTooShort = "密码长度不能小于4位！";
inline constexpr const char* kPasswordsDiffer = "两个密码不同，请重新输入！";

// A time of day as the schedule keeps it.
struct ClockTime {
    int hour = 0;
    int minute = 0;
    bool operator==(const ClockTime&) const = default;
};

struct Options {
    static constexpr int kDefaultAlpha = 150;
    static constexpr int kFaintestAlpha = 1;
    static constexpr int kOpaque = 255;

    // Dial settings: the billing month and the limits with their alerts.
    std::string firstFeeDay;
    bool monthlyMaxTimeOn = false;
    bool dailyMaxTimeOn = false;
    bool eachMaxTimeOn = false;
    bool monthlyMaxVolumeOn = false;
    std::string monthlyMaxTime;
    std::string dailyMaxTime;
    std::string eachMaxTime;
    std::string monthlyMaxVolume;
    bool soundAlert = false;
    bool messageAlert = false;
    bool disconnectAlert = false;
    // Idle settings.
    std::string maxSpeedForIdle;
    std::string idleTimeMax;
    int idleTimeOutAction = 0;  // 0 hang up, 1 ask, 2 keep the line alive
    // Fee settings.
    std::string phoneFee;
    FeeType feeType = FeeType::kBaoshi;
    std::string baoshiFee;
    std::string baoshiTime;
    std::string baoshiTimeOutFee;
    bool baoshiMinFeeUnit = false;
    bool baoshiTimeDiscounted = false;
    bool baoshiWeekendDiscounted = false;
    std::string baoshiWeekendDiscount;
    bool baoshiHolidayDiscounted = false;
    std::string jishiFee;
    bool jishiMinFeeUnit = false;
    bool jishiTimeDiscounted = false;
    bool jishiWeekendDiscounted = false;
    std::string jishiWeekendDiscount;
    bool jishiHolidayDiscounted = false;
    std::string baoyueFee;
    int baoyueBeginDay = 0;  // day of month; 0 when none is stored
    std::string liuliangFee;
    std::string liuliangVolume;
    std::string liuliangMBFee;
    // Password: the switch only; the password itself is saved on its own.
    bool pwdProtected = false;
    // Other options.
    bool showFloatWin = false;
    bool windowAutoHide = false;
    bool closeSound = false;
    std::string maxSpeed;
    bool logOrderDescending = false;
    int alpha = kDefaultAlpha;  // opacity of the floating window, written as it moves
    // Desktop notifications, by kind.
    bool notifyLimits = true;
    bool notifyIdle = true;
    bool notifyLinkCheck = true;
    bool notifyDialErrors = true;
    bool notifyConnection = true;
    // Automatic dial and hang-up.
    bool autoDial = false;
    bool autoReDial = false;
    bool autoDialTime = false;
    ClockTime autoDialAt;
    bool autoDisconnectTime = false;
    ClockTime autoDisconnectAt;
    std::string checkIp;

    bool operator==(const Options&) const = default;
};

// The first box that holds no acceptable value: what to tell the user, on which
// tab, and which box to give the focus.
struct OptionsProblem {
    OptionField field;
    OptionsTab tab;
    std::string message;
};

// Every value as stored; a box whose key is missing is empty (the billing day
// shows the day the rules use), the speed graph's top is never 0 or less, a
// stored choice that names no button selects the first.
Options LoadOptions(SettingsStore& settings);

// Checks the boxes in the form's order and stops at the first that fails: the
// billing day, the limits, the idle rule, the phone fee, the selected tariff's
// boxes only, the speed graph's top. A box must hold a number, and one the rules
// can use (UsableRange): a value they would refuse when loading is refused here,
// with the same message, before it is stored.
std::optional<OptionsProblem> ValidateOptions(const Options& options);

// Writes the rules when they are valid, in the form's order: the limits and
// alerts, the idle rule, the phone fee, the selected tariff's keys only and the
// tariff, the display options with the desktop notifications' switches, the
// automatic dial and hang-up, the password switch. The monthly volume is written
// only while its limit is on. Nothing is written when a value is invalid (the
// failure carries the problem's message); a key that could not be written does
// not stop the others, and the failure names it. The caller reloads the rules
// afterwards, once every key is in.
Result<> SaveOptions(SettingsStore& settings, const Options& options);

struct PasswordEntry {
    bool pwdProtected = false;
    std::string password;
    std::string confirmation;
};

// While protection is on, checks the new password (not empty, at least four
// characters, typed twice alike) and stores it as a salted hash; the switch is
// written in every case. Gives what to tell the user: the check that failed, or
// the settings that could not be written; nothing when all went well.
std::optional<std::string> SavePassword(SettingsStore& settings, const PasswordEntry& entry);

// The floating window's opacity, written as the bar moves.
bool SaveOpacity(SettingsStore& settings, int alpha);

// The stored opacity as 1..255: none, 0 or less gives the default, more than 255
// is held at 255.
int OpacityFromSetting(std::optional<double> stored);

}  // namespace vornik
