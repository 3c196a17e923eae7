// The session's entries and credentials, its history and its rules.
#include <algorithm>

#include "app/session.h"
#include "base/setting_keys.h"
#include "reports/report_forms.h"

namespace vornik {

// ---- Entries and credentials -----------------------------------------------

// The box always shows the entry the dialer holds, so what the user sees is
// what a dial dials.
std::vector<std::string> Session::FillEntryList() {
    dialer_.SetPhoneBook(dialer_.DefaultPhoneBook());
    std::vector<std::string> names;
    const int count = dialer_.EntryCount();
    for (int i = 0; i < count; ++i) {
        names.push_back(dialer_.EntryNameAt(i));
    }
    ui_.ShowEntryList(names);
    ui_.ShowEntry(dialer_.EntryName());
    return names;
}

void Session::SelectAnEntry(const std::vector<std::string>& names) {
    if (dialer_.EntryName().empty() && !names.empty()) {
        ChangeEntry(names.front());
    }
}

// Entries came, went or were renamed behind the program's back.
void Session::OnPhoneBookChanged() {
    SelectAnEntry(FillEntryList());
    UpdateMenuStates();
    if (autoDialWaiting_ && !dialer_.PhoneBookLoading()) {
        autoDialWaiting_ = false;
        Dial(false);
    }
}

// Until the new entry's credentials arrive, the boxes hold the old entry's:
// leaving one then must not store them into the new entry.
void Session::ChangeEntry(const std::string& name) {
    userNameEdited_ = false;
    passwordEdited_ = false;
    dialer_.SetOptionA(false);
    dialer_.LoadEntry(name);
    ui_.ShowEntry(dialer_.EntryName());
    UpdateMenuStates();
    RefreshHistory();
    SaveLastEntry(dialer_.EntryName());
}

// Filling the boxes counts as editing them, so leaving one stores the same
// credentials back without a visible change.
void Session::OnEntryLoaded() {
    ui_.ShowCredentials(dialer_.EntryUserName(), dialer_.EntryPassword());
    userNameEdited_ = true;
    passwordEdited_ = true;
}

void Session::SaveLastEntry(const std::string& name) {
    if (!name.empty()) {
        settings_.Save(keys::kLastEntry, name);
    }
}

// The back-ends keep credentials in the entry itself, so the entry is saved as
// it is and read back; nothing else of it changes.
void Session::StoreCredential(bool& edited, const std::function<void()>& assign) {
    if (!edited) {
        return;
    }
    assign();
    const std::string entry = dialer_.EntryName();
    dialer_.SaveEntry(entry);
    dialer_.LoadEntry(entry);
    edited = false;
}

void Session::StoreUserName(const std::string& userName) {
    StoreCredential(userNameEdited_, [&] { dialer_.SetEntryUserName(userName); });
}

void Session::StorePassword(const std::string& password) {
    StoreCredential(passwordEdited_, [&] { dialer_.SetEntryPassword(password); });
}

// A new entry is selected at once, so the user can fill in and dial it.
int Session::CreateEntry() {
    std::vector<std::string> before;
    for (int i = 0; i < dialer_.EntryCount(); ++i) {
        before.push_back(dialer_.EntryNameAt(i));
    }
    const int result = dialer_.CreateEntry();
    if (static_cast<std::int16_t>(result) != 0) {
        return result;
    }
    const std::vector<std::string> after = FillEntryList();
    const auto added = std::find_if(after.begin(), after.end(), [&](const std::string& name) {
        return std::find(before.begin(), before.end(), name) == before.end();
    });
    if (added != after.end()) {
        ChangeEntry(*added);
    }
    return result;
}

void Session::EditEntry() {
    const std::string entry = dialer_.EntryName();
    if (!entry.empty()) {
        dialer_.EditEntry(entry);
    }
}

// ---- History and rules -----------------------------------------------------

BillingMonth Session::CurrentBillingMonth() const {
    return BillingMonthOf(clock_.Now(), rules_.firstFeeDay);
}

void Session::SelectCurrentBillingMonth() {
    shownMonth_ = CurrentBillingMonth();
}

void Session::ShowBillingMonth(const BillingMonth& month) {
    shownMonth_ = month;
    const std::string entry = dialer_.EntryName();
    usage_.LoadMonthTotals(false, shownMonth_, rules_.firstFeeDay, entry, clock_.Now(), totals_);
    ShowShownMonth();
}

void Session::RefreshHistory() {
    const Moment today = clock_.Now();
    const std::string entry = dialer_.EntryName();
    usage_.LoadTodayTotals(today, entry, totals_);
    usage_.LoadMonthTotals(true, shownMonth_, rules_.firstFeeDay, entry, today, totals_);
    forecastInput_ = LoadForecastInput(usage_, rules_, entry, today);
    UpdateForecast();
    ShowShownMonth();
}

void Session::UpdateForecast() {
    forecastInput_.now = clock_.Now();
    if (forecastInput_.now > forecastInput_.month.end) {
        forecastInput_ = LoadForecastInput(usage_, rules_, dialer_.EntryName(), forecastInput_.now);
    }
    forecast_ = ForecastMonth(rules_, forecastInput_);
    ui_.ShowForecast(forecast_);
    WarnOfLimitsAhead();
}

// Each limit the pace will pass is told once in its billing month, and the
// months are told apart by the setting's prefix.
void Session::WarnOfLimitsAhead() {
    const std::string prefix = BillingMonthText(forecast_.month) + ":";
    const std::string warned = forecastWarned_.starts_with(prefix) ? forecastWarned_ : prefix;
    std::string now = warned;
    for (const LimitKind kind : LimitsAhead(forecast_)) {
        const char digit = static_cast<char>('0' + static_cast<int>(kind));
        if (now.find(digit, prefix.size()) == std::string::npos) {
            now += digit;
            // A terminal prints the notice; a desktop tells it as a notification,
            // which the user may have switched off with the limits' ones.
            const std::string notice = ForecastNotice(forecast_, kind);
            ui_.ShowNotice(notice);
            Announce(NoticeKind::kForecast, notice);
        }
    }
    if (now != warned) {
        forecastWarned_ = now;
        settings_.Save(keys::kForecastWarned, now);
    }
}

Report Session::LoadShownReport(ReportKind kind) {
    return LoadReport(usage_, kind, shownMonth_, rules_.firstFeeDay, dialer_.EntryName());
}

TariffComparison Session::CompareTariff(const TimeRules& rules, const BillingMonth& last,
                                        int months) {
    return vornik::CompareTariff(db_, dialer_.EntryName(), FirstOfMonths(last, months), last,
                                 rules_.firstFeeDay, rules);
}

TimeRules Session::RulesWithTariff(FeeType type) {
    TimeRules rules = rules_;
    LoadTariffAs(db_, rules, type);
    return rules;
}

void Session::ShowShownMonth() {
    const std::string entry = dialer_.EntryName();
    ui_.ShowHistory({shownMonth_, usage_.LoadMonthRows(shownMonth_, rules_.firstFeeDay, entry),
                     rules_.logOrderDescending != 0});
    MonthBill bill{bills_.AmountOf(shownMonth_),
                   {totals_.shownMonthSeconds, totals_.shownMonthFee, totals_.shownMonthBytes},
                   std::nullopt};
    if (settings_.IsOn(keys::kBillCorrection)) {
        bill.correction = LearnBillCorrection(bills_.Compare(usage_, rules_.firstFeeDay, entry));
    }
    ui_.ShowMonthBill(bill);
}

Result<> Session::SaveBill(const Bill& bill, bool learnCorrection) {
    const Result<> saved = bills_.Save(bill);
    settings_.SaveSwitch(keys::kBillCorrection, learnCorrection);
    ShowShownMonth();
    return saved;
}

// What the per-second and per-minute checks need from the settings is read here,
// with the rules, so that the ticks never read the log.
void Session::ReloadRules() {
    const std::int16_t billingDay = rules_.firstFeeDay;
    InitTimeRule(db_, rules_,
                 {[this] { ShowShownMonth(); }, [this] { UpdateMenuStates(); },
                  [this](const std::string& text) { ui_.ShowMessage(text, [] {}); }});
    guard_.limitAlerts = ReadLimitAlerts(settings_);
    forecastWarned_ = settings_.Text(keys::kForecastWarned);
    guard_.autoReDial = settings_.IsOn(keys::kAutoReDial);
    guard_.checkHost = settings_.Text(keys::kCheckIp);
    guard_.keepAliveHost = guard_.checkHost.empty() ? kDefaultKeepAliveHost : guard_.checkHost;
    guard_.timedDial = ReadTimedAction(settings_, keys::kAutoDialTime, keys::kAutoDialTimeHour,
                                       keys::kAutoDialTimeMinute);
    guard_.timedHangUp =
        ReadTimedAction(settings_, keys::kAutoDisconnectTime, keys::kAutoDisconnectTimeHour,
                        keys::kAutoDisconnectTimeMinute);
    ReadNoticeSwitches();
    // A new billing day moves the billing month, and the totals that the limits
    // and the bundle count against move with it. While a call is up they wait
    // for its hang-up: the log already holds the call's minutes so far, which
    // the totals would count beside the running call. The first load has
    // nothing to move.
    if (billingDay != 0 && billingDay != rules_.firstFeeDay && !call_.isConnected) {
        RefreshHistory();
    } else if (billingDay != 0) {
        UpdateForecast();
    }
}

void Session::ToggleSound() {
    rules_.soundOn = !rules_.soundOn;
    settings_.SaveSwitch(keys::kCloseSound, !rules_.soundOn);
    UpdateMenuStates();
}

void Session::ToggleLogOrder() {
    rules_.logOrderDescending = rules_.logOrderDescending != 0 ? 0 : 1;
    UpdateMenuStates();
    ShowShownMonth();
    settings_.Save(keys::kLogOrder, std::to_string(rules_.logOrderDescending));
}

}  // namespace vornik
