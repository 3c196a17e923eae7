#include "app/session.h"

#include "dialer/schedule.h"
#include "dialer/state_text.h"
#include "metering/setting_keys.h"

namespace vornik {

namespace {

// The idle keep-alive goes to the link-check host, or to a public portal when
// none is set.
constexpr const char* kDefaultKeepAliveHost = "www.baidu.com";

}  // namespace

Session::Session(Dbio& db, Dialer& dialer, const Clock& clock, UserInterface& ui, LinkProbe& probe)
    : db_(db),
      dialer_(dialer),
      clock_(clock),
      ui_(ui),
      probe_(probe),
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
    const Moment now = clock_.Now();
    RunSchedule(now);
    if (now.minute % 2 == 0 && db_.GetConfig(keys::kAutoReDial).value_or("") == "1") {
        LinkCheck();
    }
}

// The timed dial and hang-up act on the dialer directly, as the user asked for
// that moment; each fires once in its minute.
void Session::RunSchedule(const Moment& now) {
    const std::string minute = MomentText(now).substr(0, 16);
    if (ScheduleMatches(db_.GetConfig(keys::kAutoDialTime), db_.GetConfig(keys::kAutoDialTimeHour),
                        db_.GetConfig(keys::kAutoDialTimeMinute), now) &&
        !dialer_.IsConnected() && lastScheduledDial_ != minute) {
        lastScheduledDial_ = minute;
        dialer_.Connect();
    }
    if (ScheduleMatches(db_.GetConfig(keys::kAutoDisconnectTime),
                        db_.GetConfig(keys::kAutoDisconnectTimeHour),
                        db_.GetConfig(keys::kAutoDisconnectTimeMinute), now) &&
        dialer_.IsConnected() && lastScheduledHangUp_ != minute) {
        lastScheduledHangUp_ = minute;
        dialer_.HangUp();
    }
}

// A dead link is dialled again; a link that is up but cannot reach the test host
// is hung up, so that a later check dials it again.
void Session::LinkCheck() {
    ShowStatus("检查GPRS/ADSL链路");
    if (!dialer_.IsConnected()) {
        ShowStatus("连接已经断开，重新建立连接。");
        Dial();
        return;
    }
    if (linkProbePending_) {
        return;
    }
    linkProbePending_ = true;
    std::weak_ptr<bool> alive = alive_;
    probe_.PingHost(db_.GetConfig(keys::kCheckIp).value_or(""), [this, alive](PingOutcome outcome) {
        if (alive.lock()) {
            OnLinkProbed(outcome);
        }
    });
}

void Session::OnLinkProbed(PingOutcome outcome) {
    linkProbePending_ = false;
    if (outcome == PingOutcome::kUp) {
        ShowStatus("GPRS/ADSL连接正常");
        return;
    }
    ShowStatus("GPRS/ADSL连接已经断开.....");
    if (dialer_.IsConnected()) {
        dialer_.HangUp();
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

// ---- Limits ----------------------------------------------------------------

LimitKind Session::CheckLimits() {
    const LimitUsage usage{
        call_.isConnected,           call_.callSeconds,    call_.callBytesIn + call_.callBytesOut,
        totals_.billingMonthSeconds, totals_.todaySeconds, totals_.billingMonthBytes};
    const LimitKind kind = vornik::CheckLimits(rules_, usage);
    if (kind != LimitKind::kNone) {
        ShowLimitAlert(kind);
    }
    return kind;
}

// Sound, hang-up and message start in this order and none waits for the others;
// while a cap stays reached the alert repeats each second, but a message already
// open is not stacked with another.
void Session::ShowLimitAlert(LimitKind kind) {
    const LimitAlerts alerts = ReadLimitAlerts(db_);
    if (alerts.sound) {
        PlaySound(kind == LimitKind::kMonthlyVolume ? Sound::kVolumeOut : Sound::kTimeout);
    }
    if (alerts.disconnect && call_.isConnected) {
        DialDisconnect();
    }
    if (alerts.message && !limitMessageOpen_) {
        limitMessageOpen_ = true;
        std::weak_ptr<bool> alive = alive_;
        ui_.ShowMessage(LimitMessage(kind), [this, alive] {
            if (alive.lock()) {
                limitMessageOpen_ = false;
            }
        });
    }
}

// ---- Idle ------------------------------------------------------------------

void Session::CheckIdle() {
    const IdleStep step =
        idle_.Check(dialer_.IsConnected(), speed_.NewestDown(), speed_.NewestUp(),
                    rules_.maxSpeedForIdle, rules_.idleTimeMax, clock_.MonotonicMs());
    if (step.spellEnded) {
        ShowStatus("网络接通");
        ui_.ShowLinkIcons(LinkIcons::kConnected);
    }
    if (step.spellBegan) {
        ShowStatus("网络空闲....");
        ui_.ShowLinkIcons(LinkIcons::kIdle);
    }
    if (step.soundDue) {
        PlaySound(Sound::kIdle);
    }
    if (step.timedOut) {
        TakeIdleAction();
    }
}

void Session::TakeIdleAction() {
    switch (rules_.idleTimeOutAction) {
        case 0:
            DialDisconnect();
            idle_.EndSpell();
            ShowStatus("空闲超时，网络断开。");
            break;
        case 1:
            AskWhetherToHangUpIdleLink();
            break;
        default: {
            const std::string host = db_.GetConfig(keys::kCheckIp).value_or("");
            probe_.SendKeepAlive(host.empty() ? kDefaultKeepAliveHost : host);
            break;
        }
    }
}

// The question stays open while ticks go on; it is asked once at a time, and a
// Cancel makes the wait start again from the answer.
void Session::AskWhetherToHangUpIdleLink() {
    if (idleQuestionOpen_) {
        return;
    }
    idleQuestionOpen_ = true;
    std::weak_ptr<bool> alive = alive_;
    ui_.AskOkCancel("网络空闲超时，断开网络吗？", [this, alive](bool ok) {
        if (!alive.lock()) {
            return;
        }
        idleQuestionOpen_ = false;
        if (!ok) {
            idle_.RestartWait(clock_.MonotonicMs());
            return;
        }
        if (dialer_.IsConnected()) {
            DialDisconnect();
        }
        idle_.EndSpell();
        ShowStatus("空闲超时，用户中断。");
    });
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

void Session::ReloadRules() {
    InitTimeRule(db_, rules_,
                 {[this] { ui_.RefreshHistoryView(); }, [this] { ui_.UpdateMenuStates(); }});
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
