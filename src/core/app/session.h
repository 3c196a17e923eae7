// The session holds the run-time state of the program (the current call, its fee,
// the usage totals, the rules, the speed ring) and runs the road of a call: the
// ticks, the dialer's events, dialling and hang-up, and the opening and closing of
// each call. The shell calls the ticks from its timers; tests call them with a
// fake clock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/call_state.h"
#include "base/clock.h"
#include "app/user_interface.h"
#include "dialer/dialer.h"
#include "dialer/link_probe.h"
#include "metering/fee_engine.h"
#include "metering/idle_watch.h"
#include "metering/limits.h"
#include "metering/speed_meter.h"
#include "metering/time_rules.h"
#include "reports/usage_totals.h"
#include "store/call_log_writer.h"
#include "store/dbio.h"

namespace vornik {

class Session {
  public:
    // The idle keep-alive goes to the link-check host, or to a public portal when
    // none is set.
    static constexpr const char* kDefaultKeepAliveHost = "www.baidu.com";

    Session(Dbio& db, Dialer& dialer, const Clock& clock, UserInterface& ui, LinkProbe& probe);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The core steps of start-up, in order: rules, the current billing month, the
    // entry list and the last entry, a link that is already up, one metering
    // step, the minute fee.
    void StartUp();

    // Every second: the connection watch, then one metering step.
    void MainTick();
    // Every minute: the minute fee, while connected the call's fee and record, the
    // timed dial and hang-up, and on even minutes the link check.
    void MinuteTick();

    // Dialer events.
    void OnStateChanged(int state);
    void OnDialError(const std::string& message);

    // Refused, with the alerts the user chose, when a limit is reached.
    void Dial();
    // The last step of start-up: dials when the user asked for it.
    void AutoDial();
    void DialDisconnect();
    // The cap reached now, if any; raises the chosen alerts for it.
    LimitKind CheckLimits();
    void LinkCheck();

    // The entry list, the selected entry and its credentials.
    std::vector<std::string> FillEntryList();
    void ChangeEntry(const std::string& name);
    void MarkUserNameEdited() { userNameEdited_ = true; }
    void MarkPasswordEdited() { passwordEdited_ = true; }
    // The user left the box: a changed value is stored into the entry.
    void StoreUserName(const std::string& userName);
    void StorePassword(const std::string& password);
    int CreateEntry();
    void EditEntry();

    // History: the billing month shown, its rows, and the totals refresh.
    void SelectCurrentBillingMonth();
    void ShowBillingMonth(const BillingMonth& month);
    void RefreshHistory();
    Rows ShownMonthRows();
    void ReloadRules();
    // The sound and order menu items: flip, store, and show.
    void ToggleSound();
    void ToggleLogOrder();
    // Leaving the program: a call that is still up is written once more, so its
    // last minute is not lost, and the log is closed.
    void CloseForExit();

    // Read by the displays.
    const CurrentCall& Call() const { return call_; }
    const CallFee& Fee() const { return fee_; }
    const UsageTotals& Totals() const { return totals_; }
    const TimeRules& Rules() const { return rules_; }
    const SpeedMeter& Speed() const { return speed_; }
    const BillingMonth& ShownMonth() const { return shownMonth_; }
    bool IsIdle() const { return idle_.IsIdle(); }
    BillingMonth CurrentBillingMonth() const;
    Dialer& DialerPort() { return dialer_; }
    Dbio& Store() { return db_; }
    const Clock& ClockPort() const { return clock_; }

  private:
    void WatchConnection();
    void OnConnected();
    void OnDisconnected();
    void CaptureCallInfo();
    void SampleSpeed();
    void RefreshCallFigures();
    void UpdateMinuteFee();
    bool SaveDialLog();
    // The moment the call has reached: its begin plus the monotonic time since,
    // so a clock step during the call does not change its length.
    Moment CallMoment() const;
    void SaveLastEntry(const std::string& name);
    void OnEntryLoaded();
    void StoreCredential(bool& edited, const std::function<void()>& assign);
    void PlaySound(Sound sound);
    void ShowLimitAlert(LimitKind kind);
    void CheckIdle();
    void TakeIdleAction();
    void AskWhetherToHangUpIdleLink();
    void RunSchedule(const Moment& now);
    void OnLinkProbed(PingOutcome outcome);
    void ShowStatus(const std::string& text);

    Dbio& db_;
    Dialer& dialer_;
    const Clock& clock_;
    UserInterface& ui_;
    LinkProbe& probe_;
    FeeEngine feeEngine_;
    CallLogWriter logWriter_;
    UsageTotalsReader usage_;

    TimeRules rules_;
    CurrentCall call_;
    CallFee fee_;
    UsageTotals totals_;
    SpeedMeter speed_;
    BillingMonth shownMonth_;
    std::int64_t callStartMs_ = 0;
    bool userNameEdited_ = false;
    bool passwordEdited_ = false;
    IdleWatch idle_;
    LimitAlerts limitAlerts_;
    std::string keepAliveHost_ = kDefaultKeepAliveHost;
    // At most one limit message and one idle question are open at a time, and
    // one link probe is under way.
    bool limitMessageOpen_ = false;
    bool idleQuestionOpen_ = false;
    bool linkProbePending_ = false;
    // The minute the timed dial and hang-up last fired, so each fires once in it.
    std::string lastScheduledDial_;
    std::string lastScheduledHangUp_;
    // Callbacks that arrive after the session has gone find this expired.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vornik
