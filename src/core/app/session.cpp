#include "app/session.h"

#include "dialer/state_text.h"
#include "base/setting_keys.h"

namespace vornik {

Session::Session(Dbio& db, Dialer& dialer, const Clock& clock, UserInterface& ui, LinkProbe& probe)
    : db_(db),
      dialer_(dialer),
      clock_(clock),
      ui_(ui),
      probe_(probe),
      feeEngine_(db),
      logWriter_(db),
      usage_(db) {
    dialer_.SetEvents(this, {.stateChanged = [this](int state) { OnStateChanged(state); },
                             .dialError = [this](const std::string& message) { OnDialError(message); },
                             .entryLoaded = [this] { OnEntryLoaded(); },
                             .phoneBookChanged = [this] { FillEntryList(); }});
}

// The dialer may outlive the session (tests, a shell that is rebuilt): it must not
// call into a session that has gone.
Session::~Session() {
    dialer_.ClearEvents(this);
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
    const Moment now = clock_.Now();
    RunSchedule(now);
    if (now.minute % 2 == 0 && db_.GetConfig(keys::kAutoReDial).value_or("") == "1") {
        LinkCheck();
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
    const bool connected = dialer_.IsConnected();
    speed_.SampleSpeed(connected, dialer_.BytesReceived(), dialer_.BytesSent(),
                       clock_.MonotonicMs());
    RefreshCallFigures();
    if (connected) {
        CheckLimits();
        CheckIdle();
    }
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
    ShowStatus(StateText(state));
}

void Session::OnDialError(const std::string& message) {
    dialer_.HangUp();
    ShowStatus(message);
}

// ---- Dial and hang up ------------------------------------------------------

void Session::Dial() {
    if (CheckLimits() != LimitKind::kNone) {
        return;
    }
    if (!dialer_.EntryName().empty()) {
        dialer_.Connect();
    }
}

void Session::AutoDial() {
    if (db_.GetConfig(keys::kAutoDial).value_or("") == "1") {
        Dial();
    }
}

void Session::DialDisconnect() {
    if (call_.callIpAddress.empty()) {
        call_.callIpAddress = dialer_.IPAddress();
    }
    dialer_.HangUp();
    ShowStatus("连接断开");
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

void Session::CloseForExit() {
    if (call_.isConnected && !dialer_.IsConnected()) {
        OnDisconnected();  // hung up on the way out: close the call properly
    } else if (call_.isConnected) {
        RefreshCallFigures();
        SaveDialLog();
    }
    db_.CloseDatabase();
}

void Session::ShowStatus(const std::string& text) {
    ui_.ShowDialStatus(DialStatusLine(text));
}

void Session::PlaySound(Sound sound) {
    if (rules_.soundOn) {
        ui_.PlaySound(sound);
    }
}

}  // namespace vornik
