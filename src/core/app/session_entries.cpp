// The session's entries and credentials, its history and its rules.
#include "app/session.h"
#include "base/setting_keys.h"

namespace vornik {

// ---- Entries and credentials -----------------------------------------------

std::vector<std::string> Session::FillEntryList() {
    dialer_.SetPhoneBook(dialer_.DefaultPhoneBook());
    std::vector<std::string> names;
    const int count = dialer_.EntryCount();
    for (int i = 0; i < count; ++i) {
        names.push_back(dialer_.EntryNameAt(i));
    }
    ui_.ShowEntryList(names);
    return names;
}

void Session::ChangeEntry(const std::string& name) {
    dialer_.SetOptionA(false);
    dialer_.LoadEntry(name);
    ui_.UpdateMenuStates();
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
        db_.SaveConfig(keys::kLastEntry, name);
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

int Session::CreateEntry() {
    const int result = dialer_.CreateEntry();
    if (static_cast<std::int16_t>(result) == 0) {
        FillEntryList();
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
    ui_.RefreshHistoryView();
    usage_.LoadMonthTotals(false, shownMonth_, rules_.firstFeeDay, dialer_.EntryName(),
                           clock_.Now(), totals_);
}

void Session::RefreshHistory() {
    ui_.RefreshHistoryView();
    const Moment today = clock_.Now();
    const std::string entry = dialer_.EntryName();
    usage_.LoadTodayTotals(today, entry, totals_);
    usage_.LoadMonthTotals(true, shownMonth_, rules_.firstFeeDay, entry, today, totals_);
}

Rows Session::ShownMonthRows() {
    return usage_.LoadMonthRows(shownMonth_, rules_.firstFeeDay, dialer_.EntryName());
}

// What the per-second checks need from the settings is read here, with the
// rules, so that the one-second tick never reads the log.
void Session::ReloadRules() {
    InitTimeRule(db_, rules_,
                 {[this] { ui_.RefreshHistoryView(); }, [this] { ui_.UpdateMenuStates(); }});
    limitAlerts_ = ReadLimitAlerts(db_);
    const std::string checkHost = db_.GetConfig(keys::kCheckIp).value_or("");
    keepAliveHost_ = checkHost.empty() ? kDefaultKeepAliveHost : checkHost;
}

void Session::ToggleSound() {
    rules_.soundOn = !rules_.soundOn;
    db_.SaveConfig(keys::kCloseSound, rules_.soundOn ? "0" : "1");
    ui_.UpdateMenuStates();
}

void Session::ToggleLogOrder() {
    rules_.logOrderDescending = rules_.logOrderDescending != 0 ? 0 : 1;
    ui_.UpdateMenuStates();
    ui_.RefreshHistoryView();
    db_.SaveConfig(keys::kLogOrder, std::to_string(rules_.logOrderDescending));
}

}  // namespace vornik
