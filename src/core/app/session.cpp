#include "app/session.h"

#include <algorithm>
#include <cstdlib>
#include "base/saturating.h"

#include "base/setting_keys.h"
#include "dialer/state_text.h"
#include "metering/pricing.h"

namespace vornik {

Session::Session(Dbio& db, Dialer& dialer, const Clock& clock, UserInterface& ui, LinkProbe& probe)
    : db_(db),
      dialer_(dialer),
      clock_(clock),
      ui_(ui),
      probe_(probe),
      settings_(db),
      feeEngine_(db),
      logWriter_(db),
      usage_(db),
      bills_(db) {
    dialer_.SetEvents(this,
                      {.stateChanged = [this](int state) { OnStateChanged(state); },
                       .dialError = [this](const std::string& message) { OnDialError(message); },
                       .entryLoaded = [this] { OnEntryLoaded(); },
                       .phoneBookChanged = [this] { OnPhoneBookChanged(); }});
}

// The dialer may outlive the session: it must not call into a session that has gone.
Session::~Session() {
    dialer_.ClearEvents(this);
}

void Session::StartUp() {
    dialer_.SetOptionA(false);
    ReloadRules();
    SelectCurrentBillingMonth();
    UpdateMenuStates();
    const std::vector<std::string> names = FillEntryList();
    const std::string lastEntry = settings_.Text(keys::kLastEntry);
    if (!lastEntry.empty()) {
        ChangeEntry(lastEntry);
    }
    SelectAnEntry(names);
    dialer_.SetOptionB(true);
    dialer_.SetOptionC(100);
    // No call of this program runs yet: a record left unfinished stopped early.
    logWriter_.MarkUnfinishedAsTruncated();
    // A link that is already up is a call from now on, with all the bytes the
    // back-end counted for it.
    startingUp_ = true;
    WatchConnection();
    startingUp_ = false;
    SampleSpeed();
    UpdateMinuteFee();
    ShowLiveFigures();
}

// ---- The ticks -------------------------------------------------------------

void Session::MainTick() {
    WatchConnection();
    SampleSpeed();
    // The look at every page of the log runs beside the program after start-up.
    if (const auto damage = db_.TakeDamageFound()) {
        ui_.ShowMessage(*damage, [] {});
    }
    constexpr std::int64_t kRetryMs = 10'000;
    if ((!unsaved_.empty() || runningCallUnsaved_) && !logHeld_ &&
        clock_.MonotonicMs() - lastRetryMs_ >= kRetryMs) {
        RetryUnsavedRecords();
    }
    ShowLiveFigures();
}

void Session::MinuteTick() {
    // A link that came up since the last second is opened as a call before it is
    // charged, so its minute never lands on the previous call's row.
    WatchConnection();
    UpdateMinuteFee();
    if (dialer_.IsConnected() && call_.isConnected) {
        RefreshCallFigures();
        AddMinute(fee_);
        ChargeCallVolume();
        SaveDialLog();
    }
    UpdateForecast();
    const Moment now = clock_.Now();
    RunSchedule(now);
    if (now.minute % 2 == 0 && guard_.autoReDial) {
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
        OnConnected(false);
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
    call_.callBytesIn = speed_.CallBytesIn();
    call_.callBytesOut = speed_.CallBytesOut();
    call_.callSeconds = (clock_.MonotonicMs() - callStartMs_) / 1000;
    MarkWhatTheRecordCannotVouchFor();
}

// The bytes of an interval in which a counter went backwards are lost to the
// call, and a wall clock that jumped leaves the call's length to the monotonic
// clock: the record says so. A step is a difference of a minute or more between
// the two clocks, and it is told again only when it grows by another minute.
void Session::MarkWhatTheRecordCannotVouchFor() {
    if (const int resets = speed_.CounterResets(); resets > markedCounterResets_) {
        markedCounterResets_ = resets;
        MarkCall(mark_kind::kCounterReset, "流量计数器在通话中倒退或跳变 " +
                                               std::to_string(resets) +
                                               " 次（连接被重置），其间的流量没有计入");
    }
    constexpr std::int64_t kStepSeconds = 60;
    const std::int64_t step = SecondsBetween(CallMoment(), clock_.Now());
    if (std::abs(step) >= std::abs(markedClockStep_) + kStepSeconds) {
        markedClockStep_ = step;
        MarkCall(mark_kind::kClockStep, "通话中系统时钟跳动了 " + std::string(step > 0 ? "+" : "") +
                                            std::to_string(step) +
                                            " 秒：用时按程序自己的计时，结束时间由开始时间推算");
    }
}

void Session::MarkCall(const char* kind, const std::string& detail) {
    auto mark = std::find_if(call_.marks.begin(), call_.marks.end(),
                             [kind](const CallMark& m) { return m.kind == kind; });
    if (mark == call_.marks.end()) {
        call_.marks.push_back({kind, detail});
    } else {
        mark->detail = detail;
    }
    call_.marksChanged = true;
}

void Session::ShowLiveFigures() {
    if (!ui_.LiveFiguresShown()) {
        return;
    }
    ui_.ShowLiveFigures(Figures());
}

LiveFigures Session::Figures() {
    return {.connected = dialer_.IsConnected(),
            .entryName = dialer_.EntryName(),
            .call = call_,
            .fee = fee_,
            .totals = totals_,
            .speed = speed_,
            .maxSpeed = rules_.maxSpeed,
            .callInShownMonth = shownMonth_ == CurrentBillingMonth(),
            .forecast = &forecast_};
}

void Session::UpdateMenuStates() {
    ui_.ShowMenuStates(ComputeMenuStates(dialer_.EntryName(), dialer_.IsConnected(), rules_.soundOn,
                                         rules_.logOrderDescending));
}

// ---- Dialer events ---------------------------------------------------------

void Session::OnStateChanged(int state) {
    if (state == dial_state::kConnected) {
        OnConnected(true);
    } else if (state == dial_state::kDisconnected) {
        OnDisconnected();
    }
    ShowStatus(StateText(state));
}

void Session::OnDialError(const std::string& message) {
    dialer_.HangUp();
    ShowAndAnnounce(NoticeKind::kDialError, message);
}

// ---- Dial and hang up ------------------------------------------------------

void Session::Dial(bool askedByUser) {
    // Refused with the alerts the user chose, and always with a word on the
    // status line, so a refused automatic dial is never silent.
    if (const LimitKind reached = CheckLimits(); reached != LimitKind::kNone) {
        ShowStatus(LimitMessage(reached));
        return;
    }
    if (!dialer_.EntryName().empty()) {
        dialer_.Connect();
        return;
    }
    const std::string advice = dialer_.EntryCount() == 0
                                   ? "没有可拨号的连接：请用“新建”建立一个连接。"
                                   : "没有选择连接：请先在连接列表中选择要拨号的连接。";
    ShowStatus(advice);
    if (askedByUser) {
        ui_.ShowMessage(advice, [] {});
    }
}

// A back-end that is still reading its entries has none selected yet: the
// start-up dial waits for them.
void Session::AutoDial() {
    if (!settings_.IsOn(keys::kAutoDial)) {
        return;
    }
    if (dialer_.EntryName().empty() && dialer_.PhoneBookLoading()) {
        autoDialWaiting_ = true;
        return;
    }
    Dial(false);
}

void Session::DialDisconnect() {
    if (call_.callIpAddress.empty()) {
        call_.callIpAddress = dialer_.IPAddress();
    }
    dialer_.HangUp();
    ShowStatus("连接断开");
}

// ---- Opening and closing a call --------------------------------------------

// A state event for a link the dialer does not report up opens nothing: a call
// without a begin would write its record over the previous call's.
void Session::OnConnected(bool announced) {
    if (call_.isConnected || !dialer_.IsConnected()) {
        return;
    }
    call_.isConnected = true;
    runningCallUnsaved_ = false;
    ++callSerial_;
    UpdateMenuStates();
    CaptureCallInfo(announced);
    ui_.ShowLinkIcons(LinkIcons::kConnected);
    PlaySound(Sound::kConnected);
    Announce(NoticeKind::kConnection, StateText(dial_state::kConnected));
}

void Session::CaptureCallInfo(bool announced) {
    const Moment now = clock_.Now();
    call_.connectTimeText = MomentText(now);
    call_.callBeginTime = call_.connectTimeText;
    call_.callRowId = 0;
    callStartMs_ = clock_.MonotonicMs();
    call_.callEntryName = dialer_.EntryName();
    call_.callDeviceType = dialer_.DeviceType();
    const std::string address = dialer_.IPAddress();
    call_.callIpAddress = address.empty() ? std::string(kUnknownAddress) : address;
    ui_.ShowEntry(call_.callEntryName);
    speed_.StartCall(dialer_.BytesReceived(), dialer_.BytesSent(), !announced);
    call_.callBytesIn = speed_.CallBytesIn();
    call_.callBytesOut = speed_.CallBytesOut();
    call_.callSeconds = 0;
    call_.callEndTime.clear();
    call_.marks.clear();
    call_.marksChanged = false;
    markedCounterResets_ = 0;
    markedClockStep_ = 0;
    if (!announced && startingUp_) {
        MarkCall(mark_kind::kFoundUp,
                 "程序启动时连接已经接通：此前程序没有运行的那段时间没有计时，"
                 "流量按网卡的计数全部计入");
    }
    feeEngine_.StartCallFee(rules_, call_.callEntryName, now, fee_);
    UpdateMinuteFee();
}

void Session::OnDisconnected() {
    call_.disconnectTimeText = MomentText(clock_.Now());
    if (!call_.isConnected) {
        call_.callEndTime = call_.disconnectTimeText;
        return;
    }
    CloseCall();
    if (!logHeld_) {
        RefreshHistory();
    }
    UpdateMenuStates();
    ui_.ShowLinkIcons(LinkIcons::kDisconnected);
    PlaySound(Sound::kDisconnect);
    Announce(NoticeKind::kConnection, StateText(dial_state::kDisconnected), &call_.callEntryName);
}

// Every end of a call ends its idle spell, so the next call starts its own.
void Session::CloseCall() {
    RefreshCallFigures();
    const Moment end = CallMoment();
    call_.callEndTime = MomentText(end);
    call_.isConnected = false;
    idle_.EndSpell();
    SettleCallFee(rules_, call_, fee_);
    ChargeCallVolume();
    runningCallUnsaved_ = false;
    if (logHeld_) {
        unsaved_.push_back({call_, fee_.callFee});
        return;
    }
    if (!ReportWrite(
            logWriter_.SaveDialLog(call_, fee_.callFee, false, dialer_.IPAddress(), end))) {
        unsaved_.push_back({call_, fee_.callFee});
    }
}

Moment Session::CallMoment() const {
    const auto begin = ParseMoment(call_.callBeginTime);
    if (!begin) {
        return clock_.Now();
    }
    return AddSeconds(*begin, (clock_.MonotonicMs() - callStartMs_) / 1000);
}

void Session::SaveDialLog() {
    if (logHeld_) {
        runningCallUnsaved_ = true;
        return;
    }
    runningCallUnsaved_ = !ReportWrite(logWriter_.SaveDialLog(
        call_, fee_.callFee, dialer_.IsConnected(), dialer_.IPAddress(), CallMoment()));
}

bool Session::ReportWrite(const Result<>& written) {
    if (written) {
        if (writeFailing_ && unsaved_.empty()) {
            writeFailing_ = false;
            ShowStatus("拨号记录已重新写入");
        }
        return true;
    }
    lastWriteError_ = written.Error();
    const std::string text = "拨号记录写入失败（" + written.Error() + "），稍后重试";
    ShowStatus(text);
    if (!writeFailing_) {
        writeFailing_ = true;
        ui_.ShowMessage(text, [] {});
    }
    return false;
}

void Session::RetryUnsavedRecords() {
    lastRetryMs_ = clock_.MonotonicMs();
    for (auto call = unsaved_.begin(); call != unsaved_.end();) {
        const Result<> written = logWriter_.SaveDialLog(call->call, call->fee, false, {}, {});
        call = written ? unsaved_.erase(call) : std::next(call);
        if (!written) {
            lastWriteError_ = written.Error();
        }
    }
    if (runningCallUnsaved_ && call_.isConnected) {
        SaveDialLog();
    } else {
        ReportWrite(unsaved_.empty() ? Result<>::Success() : Result<>::Failure(lastWriteError_));
    }
}

// The row id is kept: the writer finds the call's row again only when the log
// holds it with the same begin and entry, and inserts it otherwise.
void Session::ResumeLogWrites() {
    logHeld_ = false;
    runningCallUnsaved_ = call_.isConnected && dialer_.IsConnected();
    if (runningCallUnsaved_) {
        RefreshCallFigures();
    }
    RetryUnsavedRecords();
    RefreshHistory();
}

void Session::UpdateMinuteFee() {
    if (const auto minuteFee = MinuteFee(rules_, totals_.billingMonthSeconds, clock_.Now())) {
        fee_.minuteFee = *minuteFee;
    }
}

void Session::ChargeCallVolume() {
    ChargeVolume(rules_, totals_.billingMonthBytes,
                 SaturatingAdd(call_.callBytesIn, call_.callBytesOut), fee_);
}

void Session::WriteRunningCall() {
    if (call_.isConnected && dialer_.IsConnected()) {
        RefreshCallFigures();
        SaveDialLog();
    }
}

Result<bool> Session::CloseForExit() {
    const bool anyCall = call_.isConnected || !unsaved_.empty() || runningCallUnsaved_;
    if (call_.isConnected) {
        CloseCall();
    }
    if (!unsaved_.empty()) {
        RetryUnsavedRecords();
    }
    const std::size_t lost = unsaved_.size();
    db_.CloseDatabase();
    if (lost > 0) {
        return Result<bool>::Failure(std::to_string(lost) + " 次通话的记录没有写入拨号记录（" +
                                     lastWriteError_ + "）");
    }
    return anyCall;
}

void Session::ShowStatus(const std::string& text) {
    ui_.ShowDialStatus(DialStatusLine(text));
}

void Session::ShowAndAnnounce(NoticeKind kind, const std::string& text) {
    ShowStatus(text);
    Announce(kind, text);
}

void Session::Announce(NoticeKind kind, const std::string& summary, const std::string* entry) {
    const NoticeKind switchedBy = kind == NoticeKind::kForecast ? NoticeKind::kLimit : kind;
    if (guard_.notices.at(static_cast<std::size_t>(switchedBy))) {
        ui_.Announce({kind, summary, entry != nullptr ? *entry : dialer_.EntryName()});
    }
}

void Session::PlaySound(Sound sound) {
    if (rules_.soundOn) {
        ui_.PlaySound(sound);
    }
}

}  // namespace vornik
