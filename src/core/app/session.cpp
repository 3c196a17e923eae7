#include "app/session.h"

#include "dialer/state_text.h"
#include "metering/setting_keys.h"

namespace vornik {

Session::Session(Dbio& db, Dialer& dialer, const Clock& clock, UserInterface& ui)
    : db_(db),
      dialer_(dialer),
      clock_(clock),
      ui_(ui),
      feeEngine_(db),
      logWriter_(db),
      usage_(db) {
    dialer_.SetEvents({[this](int state) { OnStateChanged(state); },
                       [this](const std::string& message) { OnDialError(message); }});
}

void Session::StartUp() {
    dialer_.SetOptionA(false);
    ReloadRules();
    SelectCurrentBillingMonth();
    ui_.UpdateMenuStates();
    FillEntryList();
    const std::string lastEntry = db_.GetConfig(keys::kLastEntry).value_or("");
    ui_.ShowEntry(lastEntry);
    ChangeEntry(lastEntry);
    dialer_.SetOptionB(true);
    dialer_.SetOptionC(100);
    CaptureCallInfo();
    SampleSpeed();
    UpdateMinuteFee();
}

// ---- The ticks -------------------------------------------------------------

void Session::MainTick() {
    WatchConnection();
    SampleSpeed();
}

void Session::MinuteTick() {
    // A link that came up since the last second is opened as a call before it is
    // charged, so its minute never lands on the previous call's row.
    WatchConnection();
    UpdateMinuteFee();
    if (dialer_.IsConnected() && call_.isConnected) {
        RefreshCallFigures();
        FeeEngine::AddMinute(fee_);
        SaveDialLog();
    }
}

// The fallback for a link that came up or went down without a state event; the
// handlers ignore a repeated call.
void Session::WatchConnection() {
    const bool up = dialer_.IsConnected();
    if (call_.isConnected && !up) {
        OnDisconnected();
    } else if (!call_.isConnected && up) {
        OnConnected();
    }
}

void Session::SampleSpeed() {
    speed_.SampleSpeed(dialer_.IsConnected(), dialer_.BytesReceived(), dialer_.BytesSent(),
                       clock_.MonotonicMs());
    RefreshCallFigures();
}

void Session::RefreshCallFigures() {
    if (!call_.isConnected) {
        return;
    }
    if (call_.connectTimeText.empty()) {
        call_.connectTimeText = MomentText(clock_.Now());
    }
    call_.callBytesIn = speed_.CallBytesIn();
    call_.callBytesOut = speed_.CallBytesOut();
    call_.callSeconds = (clock_.MonotonicMs() - callStartMs_) / 1000;
}

// ---- Dialer events ---------------------------------------------------------

void Session::OnStateChanged(int state) {
    if (state == dial_state::kConnected) {
        OnConnected();
    } else if (state == dial_state::kDisconnected) {
        OnDisconnected();
    }
    ui_.ShowDialStatus(DialStatusLine(StateText(state)));
}

void Session::OnDialError(const std::string& message) {
    dialer_.HangUp();
    ui_.ShowDialStatus(DialStatusLine(message));
}

// ---- Dial and hang up ------------------------------------------------------

void Session::Dial() {
    if (!dialer_.EntryName().empty()) {
        dialer_.Connect();
    }
}

void Session::DialDisconnect() {
    if (call_.callIpAddress.empty()) {
        call_.callIpAddress = dialer_.IPAddress();
    }
    dialer_.HangUp();
    ui_.ShowDialStatus(DialStatusLine("连接断开"));
}

// ---- Opening and closing a call --------------------------------------------

void Session::OnConnected() {
    if (call_.isConnected) {
        return;
    }
    call_.isConnected = true;
    ui_.UpdateMenuStates();
    CaptureCallInfo();
    ui_.ShowLinkIcons(LinkIcons::kConnected);
    PlaySound(Sound::kConnected);
}

void Session::CaptureCallInfo() {
    if (!dialer_.IsConnected()) {
        return;
    }
    const Moment now = clock_.Now();
    call_.connectTimeText = MomentText(now);
    call_.callBeginTime = call_.connectTimeText;
    callStartMs_ = clock_.MonotonicMs();
    call_.callEntryName = dialer_.EntryName();
    call_.callDeviceType = dialer_.DeviceType();
    const std::string address = dialer_.IPAddress();
    call_.callIpAddress = address.empty() ? std::string(kUnknownAddress) : address;
    ui_.ShowEntry(call_.callEntryName);
    speed_.StartCall();
    call_.callBytesIn = 0;
    call_.callBytesOut = 0;
    call_.callSeconds = 0;
    call_.callEndTime.clear();
    feeEngine_.StartCallFee(rules_, call_.callEntryName, now, fee_);
    UpdateMinuteFee();
}

void Session::OnDisconnected() {
    call_.disconnectTimeText = MomentText(clock_.Now());
    if (!call_.isConnected) {
        call_.callEndTime = call_.disconnectTimeText;
        return;
    }
    RefreshCallFigures();
    call_.callEndTime = MomentText(CallMoment());
    call_.isConnected = false;
    FeeEngine::SettleCallFee(rules_, call_, fee_);
    SaveDialLog();
    RefreshHistory();
    ui_.UpdateMenuStates();
    ui_.ShowLinkIcons(LinkIcons::kDisconnected);
    PlaySound(Sound::kDisconnect);
}

Moment Session::CallMoment() const {
    const auto begin = ParseMoment(call_.callBeginTime);
    if (!begin) {
        return clock_.Now();
    }
    return AddSeconds(*begin, (clock_.MonotonicMs() - callStartMs_) / 1000);
}

bool Session::SaveDialLog() {
    return logWriter_.SaveDialLog(call_, fee_.callFee, dialer_.IsConnected(), dialer_.IPAddress(),
                                  CallMoment());
}

void Session::UpdateMinuteFee() {
    feeEngine_.UpdateMinuteFee(rules_, totals_.billingMonthSeconds, clock_.Now(), fee_);
}

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
    // Filling the boxes counts as editing them, so leaving one stores the same
    // credentials back without a visible change.
    ui_.ShowCredentials(dialer_.EntryUserName(), dialer_.EntryPassword());
    userNameEdited_ = true;
    passwordEdited_ = true;
    ui_.UpdateMenuStates();
    RefreshHistory();
    SaveLastEntry(dialer_.EntryName());
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

void Session::SelectCurrentBillingMonth() { shownMonth_ = CurrentBillingMonth(); }

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

void Session::ReloadRules() {
    InitTimeRule(db_, rules_,
                 {[this] { ui_.RefreshHistoryView(); }, [this] { ui_.UpdateMenuStates(); }});
}

void Session::PlaySound(Sound sound) {
    if (rules_.soundOn) {
        ui_.PlaySound(sound);
    }
}

}  // namespace vornik
