#include "settings/options.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/number_text.h"
#include "base/setting_keys.h"
#include "base/text_excerpt.h"
#include "store/error_log.h"
#include "store/password_hash.h"
#include "store/settings_store.h"

namespace vornik {
namespace {

using namespace keys;

constexpr std::size_t kShortestPassword = 4;

// A whole number from `lowest` to `highest` held as text, or nothing.
std::optional<int> WholeIn(const std::string& text, int lowest, int highest) {
    const auto number = ParseNumber(text);
    if (!number || *number != std::floor(*number) || *number < lowest || *number > highest) {
        return std::nullopt;
    }
    return static_cast<int>(*number);
}

ClockTime LoadClockTime(SettingsStore& settings, const SettingKey& hour, const SettingKey& minute) {
    return {WholeIn(settings.Text(hour), 0, 23).value_or(0),
            WholeIn(settings.Text(minute), 0, 59).value_or(0)};
}

// A choice among buttons 0..last: the stored number when it names one, else 0.
int Choice(SettingsStore& settings, const SettingKey& key, int last) {
    const auto number = settings.Number(key);
    for (int choice = 1; choice <= last; ++choice) {
        if (number == choice) {
            return choice;
        }
    }
    return 0;
}

// The graph's top is never shown as 0 or less: it would draw nothing.
std::string LoadMaxSpeed(SettingsStore& settings) {
    const std::string stored = settings.Text(kMaxSpeed);
    const auto speed = ParseNumber(stored);
    return speed && *speed > 0 ? stored : std::string(kMaxSpeed.fallback);
}

// A box whose text must be a number the rules can use.
struct Check {
    OptionField field;
    OptionsTab tab;
    const SettingKey& key;
    const std::string& text;
};

// A blank box is no number here, though the settings read it as 0: the user
// must type one.
std::optional<double> TypedNumber(const std::string& text) {
    if (text.find_first_not_of(" \t") == std::string::npos) {
        return std::nullopt;
    }
    return ParseNumber(text);
}

bool Acceptable(const Check& check) {
    const auto number = TypedNumber(check.text);
    return number && UsableRange(check.key).Holds(*number);
}

std::vector<Check> ChecksInOrder(const Options& o) {
    using F = OptionField;
    constexpr OptionsTab kDial = OptionsTab::kDial;
    constexpr OptionsTab kIdle = OptionsTab::kIdle;
    constexpr OptionsTab kFee = OptionsTab::kFee;
    std::vector<Check> checks{
        {F::kMonthlyMaxTime, kDial, kMonthlyMaxTime, o.monthlyMaxTime},
        {F::kDailyMaxTime, kDial, kDailyMaxTime, o.dailyMaxTime},
        {F::kEachMaxTime, kDial, kEachMaxTime, o.eachMaxTime},
    };
    if (o.monthlyMaxVolumeOn) {
        checks.push_back({F::kMonthlyMaxVolume, kDial, kMonthlyMaxVolume, o.monthlyMaxVolume});
    }
    checks.push_back({F::kMaxSpeedForIdle, kIdle, kMaxSpeedForIdle, o.maxSpeedForIdle});
    checks.push_back({F::kIdleTimeMax, kIdle, kIdleTimeMax, o.idleTimeMax});
    checks.push_back({F::kPhoneFee, kFee, kPhoneFee, o.phoneFee});
    switch (o.feeType) {
        case FeeType::kBaoshi:
            checks.push_back({F::kBaoshiTime, kFee, kBaoshiTime, o.baoshiTime});
            checks.push_back({F::kBaoshiFee, kFee, kBaoshiFee, o.baoshiFee});
            checks.push_back({F::kBaoshiTimeOutFee, kFee, kBaoshiTimeOutFee, o.baoshiTimeOutFee});
            checks.push_back(
                {F::kBaoshiWeekendDiscount, kFee, kBaoshiWeekendDiscount, o.baoshiWeekendDiscount});
            break;
        case FeeType::kJishi:
            checks.push_back({F::kJishiFee, kFee, kJishiFee, o.jishiFee});
            checks.push_back(
                {F::kJishiWeekendDiscount, kFee, kJishiWeekendDiscount, o.jishiWeekendDiscount});
            break;
        case FeeType::kBaoyue:
            checks.push_back({F::kBaoyueFee, kFee, kBaoyueFee, o.baoyueFee});
            break;
        case FeeType::kLiuliang:
            checks.push_back({F::kLiuliangVolume, kFee, kLiuliangVolume, o.liuliangVolume});
            checks.push_back({F::kLiuliangFee, kFee, kLiuliangFee, o.liuliangFee});
            checks.push_back({F::kLiuliangMBFee, kFee, kLiuliangMBFee, o.liuliangMBFee});
            break;
    }
    checks.push_back({F::kMaxSpeed, OptionsTab::kOther, kMaxSpeed, o.maxSpeed});
    return checks;
}

// Writes each key in turn; a failed write (traced by the log itself) does not
// stop the ones after it, and the outcome names every key that failed.
class Writer {
  public:
    explicit Writer(SettingsStore& settings) : settings_(settings) {}

    void operator()(const SettingKey& key, std::string_view value) {
        if (!settings_.Save(key, value)) {
            failed_ += failed_.empty() ? "" : "、";
            failed_ += std::string(key.group) + "/" + std::string(key.key);
        }
    }
    void operator()(const SettingKey& key, bool on) {
        (*this)(key, on ? std::string_view("1") : std::string_view("0"));
    }
    void operator()(const SettingKey& key, int number) { (*this)(key, std::to_string(number)); }

    Result<> Outcome() const {
        if (failed_.empty()) {
            return Result<>::Success();
        }
        return Result<>::Failure("以下设置没有保存：" + failed_);
    }

  private:
    SettingsStore& settings_;
    std::string failed_;
};

void SaveLimits(Writer& write, const Options& o) {
    write(kFirstFeeDay, o.firstFeeDay);
    write(kMonthlyMaxTime, o.monthlyMaxTime);
    write(kDailyMaxTime, o.dailyMaxTime);
    write(kEachMaxTime, o.eachMaxTime);
    write(kChkMonthlyMaxTime, o.monthlyMaxTimeOn);
    write(kChkDailyMaxTime, o.dailyMaxTimeOn);
    write(kChkEachMaxTime, o.eachMaxTimeOn);
    write(kChkMonthlyMaxVolume, o.monthlyMaxVolumeOn);
    if (o.monthlyMaxVolumeOn) {
        write(kMonthlyMaxVolume, o.monthlyMaxVolume);
    }
    write(kSoundAlert, o.soundAlert);
    write(kMessageAlert, o.messageAlert);
    write(kDisconnectAlert, o.disconnectAlert);
    write(kMaxSpeedForIdle, o.maxSpeedForIdle);
    write(kIdleTimeMax, o.idleTimeMax);
    write(kIdleTimeOutAction, o.idleTimeOutAction);
}

// Only the selected tariff's keys: the others keep what the user last saved
// under them.
void SaveTariff(Writer& write, const Options& o) {
    write(kPhoneFee, o.phoneFee);
    switch (o.feeType) {
        case FeeType::kBaoshi:
            write(kBaoshiFee, o.baoshiFee);
            write(kBaoshiTime, o.baoshiTime);
            write(kBaoshiTimeOutFee, o.baoshiTimeOutFee);
            write(kBaoshiMinFeeUnit, o.baoshiMinFeeUnit);
            write(kBaoshiWeekendDiscounted, o.baoshiWeekendDiscounted);
            write(kBaoshiWeekendDiscount, o.baoshiWeekendDiscount);
            write(kBaoshiTimeDiscounted, o.baoshiTimeDiscounted);
            write(kBaoshiHolidayDiscounted, o.baoshiHolidayDiscounted);
            break;
        case FeeType::kJishi:
            write(kJishiFee, o.jishiFee);
            write(kJishiMinFeeUnit, o.jishiMinFeeUnit);
            write(kJishiHolidayDiscounted, o.jishiHolidayDiscounted);
            write(kJishiTimeDiscounted, o.jishiTimeDiscounted);
            write(kJishiWeekendDiscounted, o.jishiWeekendDiscounted);
            write(kJishiWeekendDiscount, o.jishiWeekendDiscount);
            break;
        case FeeType::kBaoyue:
            write(kBaoyueFee, o.baoyueFee);
            write(kBaoyueBeginTime, o.baoyueBeginDay);
            break;
        case FeeType::kLiuliang:
            write(kLiuliangFee, o.liuliangFee);
            write(kLiuliangVolume, o.liuliangVolume);
            write(kLiuliangMBFee, o.liuliangMBFee);
            break;
    }
    write(kFeeType, static_cast<int>(o.feeType));
}

void SaveDisplay(Writer& write, const Options& o) {
    write(kWindowAutoHide, o.windowAutoHide);
    write(kCloseSound, o.closeSound);
    write(kMaxSpeed, o.maxSpeed);
    write(kLogOrder, o.logOrderDescending ? 1 : 0);
    write(kShowFloatWin, o.showFloatWin);
    write(kNotifyLimits, o.notifyLimits);
    write(kNotifyIdle, o.notifyIdle);
    write(kNotifyLinkCheck, o.notifyLinkCheck);
    write(kNotifyDialErrors, o.notifyDialErrors);
    write(kNotifyConnection, o.notifyConnection);
}

void SaveAutomatic(Writer& write, const Options& o) {
    write(kAutoDial, o.autoDial);
    write(kAutoReDial, o.autoReDial);
    write(kAutoDialTime, o.autoDialTime);
    write(kAutoDisconnectTime, o.autoDisconnectTime);
    write(kAutoDialTimeHour, o.autoDialAt.hour);
    write(kAutoDisconnectTimeHour, o.autoDisconnectAt.hour);
    write(kAutoDialTimeMinute, o.autoDialAt.minute);
    write(kAutoDisconnectTimeMinute, o.autoDisconnectAt.minute);
    write(kCheckIp, o.checkIp);
    write(kPwdProtected, o.pwdProtected);
}

std::optional<std::string> PasswordProblem(const PasswordEntry& entry) {
    if (entry.password.empty()) {
        return kPasswordEmpty;
    }
    if (CharacterCount(entry.password) < kShortestPassword) {
        return kPasswordTooShort;
    }
    if (entry.password != entry.confirmation) {
        return kPasswordsDiffer;
    }
    return std::nullopt;
}

}  // namespace

Options LoadOptions(SettingsStore& settings) {
    Options o;
    o.firstFeeDay = settings.Text(kFirstFeeDay);
    o.monthlyMaxTimeOn = settings.IsOn(kChkMonthlyMaxTime);
    o.dailyMaxTimeOn = settings.IsOn(kChkDailyMaxTime);
    o.eachMaxTimeOn = settings.IsOn(kChkEachMaxTime);
    o.monthlyMaxVolumeOn = settings.IsOn(kChkMonthlyMaxVolume);
    o.monthlyMaxTime = settings.Text(kMonthlyMaxTime);
    o.dailyMaxTime = settings.Text(kDailyMaxTime);
    o.eachMaxTime = settings.Text(kEachMaxTime);
    o.monthlyMaxVolume = settings.Text(kMonthlyMaxVolume);
    o.soundAlert = settings.IsOn(kSoundAlert);
    o.messageAlert = settings.IsOn(kMessageAlert);
    o.disconnectAlert = settings.IsOn(kDisconnectAlert);

    o.maxSpeedForIdle = settings.Text(kMaxSpeedForIdle);
    o.idleTimeMax = settings.Text(kIdleTimeMax);
    o.idleTimeOutAction = Choice(settings, kIdleTimeOutAction, 2);

    o.phoneFee = settings.Text(kPhoneFee);
    o.feeType = static_cast<FeeType>(Choice(settings, kFeeType, 3));
    o.baoshiFee = settings.Text(kBaoshiFee);
    o.baoshiTime = settings.Text(kBaoshiTime);
    o.baoshiTimeOutFee = settings.Text(kBaoshiTimeOutFee);
    o.baoshiMinFeeUnit = settings.IsOn(kBaoshiMinFeeUnit);
    o.baoshiTimeDiscounted = settings.IsOn(kBaoshiTimeDiscounted);
    o.baoshiWeekendDiscounted = settings.IsOn(kBaoshiWeekendDiscounted);
    o.baoshiWeekendDiscount = settings.Text(kBaoshiWeekendDiscount);
    o.baoshiHolidayDiscounted = settings.IsOn(kBaoshiHolidayDiscounted);
    o.jishiFee = settings.Text(kJishiFee);
    o.jishiMinFeeUnit = settings.IsOn(kJishiMinFeeUnit);
    o.jishiTimeDiscounted = settings.IsOn(kJishiTimeDiscounted);
    o.jishiWeekendDiscounted = settings.IsOn(kJishiWeekendDiscounted);
    o.jishiWeekendDiscount = settings.Text(kJishiWeekendDiscount);
    o.jishiHolidayDiscounted = settings.IsOn(kJishiHolidayDiscounted);
    o.baoyueFee = settings.Text(kBaoyueFee);
    o.baoyueBeginDay = WholeIn(settings.Text(kBaoyueBeginTime), 1, 31).value_or(0);
    o.liuliangFee = settings.Text(kLiuliangFee);
    o.liuliangVolume = settings.Text(kLiuliangVolume);
    o.liuliangMBFee = settings.Text(kLiuliangMBFee);

    o.pwdProtected = settings.IsOn(kPwdProtected);

    o.showFloatWin = settings.IsOn(kShowFloatWin);
    o.windowAutoHide = settings.IsOn(kWindowAutoHide);
    o.closeSound = settings.IsOn(kCloseSound);
    o.maxSpeed = LoadMaxSpeed(settings);
    o.logOrderDescending = settings.Number(kLogOrder).value_or(0) != 0;
    o.alpha = OpacityFromSetting(settings.Number(kAlpha));
    o.notifyLimits = settings.IsOn(kNotifyLimits);
    o.notifyIdle = settings.IsOn(kNotifyIdle);
    o.notifyLinkCheck = settings.IsOn(kNotifyLinkCheck);
    o.notifyDialErrors = settings.IsOn(kNotifyDialErrors);
    o.notifyConnection = settings.IsOn(kNotifyConnection);

    o.autoDial = settings.IsOn(kAutoDial);
    o.autoReDial = settings.IsOn(kAutoReDial);
    o.autoDialTime = settings.IsOn(kAutoDialTime);
    o.autoDialAt = LoadClockTime(settings, kAutoDialTimeHour, kAutoDialTimeMinute);
    o.autoDisconnectTime = settings.IsOn(kAutoDisconnectTime);
    o.autoDisconnectAt =
        LoadClockTime(settings, kAutoDisconnectTimeHour, kAutoDisconnectTimeMinute);
    o.checkIp = settings.Text(kCheckIp);
    return o;
}

std::optional<OptionsProblem> ValidateOptions(const Options& options) {
    constexpr OptionField kDay = OptionField::kFirstFeeDay;
    if (!TypedNumber(options.firstFeeDay)) {
        return OptionsProblem{kDay, OptionsTab::kDial, kEnterANumber};
    }
    if (!WholeIn(options.firstFeeDay, 1, 28)) {
        return OptionsProblem{kDay, OptionsTab::kDial, kEnterABillingDay};
    }
    for (const Check& check : ChecksInOrder(options)) {
        if (!Acceptable(check)) {
            return OptionsProblem{check.field, check.tab, kEnterANumber};
        }
    }
    return std::nullopt;
}

Result<> SaveOptions(SettingsStore& settings, const Options& options) {
    if (const auto problem = ValidateOptions(options)) {
        return Result<>::Failure(problem->message);
    }
    Writer write(settings);
    SaveLimits(write, options);
    SaveTariff(write, options);
    SaveDisplay(write, options);
    SaveAutomatic(write, options);
    return write.Outcome();
}

std::optional<std::string> SavePassword(SettingsStore& settings, const PasswordEntry& entry) {
    std::optional<std::string> message;
    Writer write(settings);
    if (entry.pwdProtected) {
        message = PasswordProblem(entry);
        if (!message) {
            const Result<std::string> hash = HashPassword(entry.password);
            if (hash) {
                write(kPassword, hash.Value());
            } else {
                settings.Log().Write("the password was not saved: " + hash.Error());
                message = "密码没有保存：" + hash.Error();
            }
        }
    }
    write(kPwdProtected, entry.pwdProtected);
    if (const Result<> written = write.Outcome(); !message && !written) {
        message = written.Error();
    }
    return message;
}

bool SaveOpacity(SettingsStore& settings, int alpha) {
    return settings.Save(kAlpha, std::to_string(alpha));
}

int OpacityFromSetting(std::optional<double> stored) {
    if (!stored || !(*stored >= Options::kFaintestAlpha)) {
        return Options::kDefaultAlpha;
    }
    return static_cast<int>(std::lround(std::min<double>(*stored, Options::kOpaque)));
}

}  // namespace vornik
