// The session holds the run-time state of the program (the current call, its fee,
// the usage totals, the rules, the speed ring) and runs the road of a call: the
// ticks, the dialer's events, dialling and hang-up, and the opening and closing of
// each call. It tells the user interface what to show. The shell calls the ticks
// from its timers; tests call them with a fake clock.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "base/call_state.h"
#include "base/clock.h"
#include "dialer/dialer.h"
#include "dialer/link_probe.h"
#include "dialer/schedule.h"
#include "metering/fee_engine.h"
#include "metering/idle_watch.h"
#include "metering/limits.h"
#include "metering/speed_meter.h"
#include "metering/time_rules.h"
#include "reports/bills.h"
#include "reports/month_forecast.h"
#include "reports/month_report.h"
#include "reports/tariff_comparison.h"
#include "reports/usage_totals.h"
#include "store/call_log_writer.h"
#include "store/dbio.h"
#include "store/settings_store.h"

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
    // entry list and the entry to use, a link that is already up (opened as a
    // call), one metering step, the minute fee.
    void StartUp();

    // Every second: the connection watch, one metering step, and the figures shown.
    void MainTick();
    // Every minute: the minute fee, while connected the call's fee and record, the
    // timed dial and hang-up, and on even minutes the link check.
    void MinuteTick();

    // Dialer events.
    void OnStateChanged(int state);
    void OnDialError(const std::string& message);

    // Refused, with the alerts the user chose, when a limit is reached. Without
    // an entry the status line says how to make one; a dial the user asked for
    // also says it in a message.
    void Dial(bool askedByUser = true);
    // The last step of start-up: dials when the user asked for it.
    void AutoDial();
    void DialDisconnect();
    // The exit dialogue's hang-up: the link only, the call is closed on the way out.
    void HangUpOnExit() { dialer_.HangUp(); }
    bool LinkUp() { return dialer_.IsConnected(); }
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

    // History: the billing month shown, its calls, and the totals refresh.
    void SelectCurrentBillingMonth();
    void ShowBillingMonth(const BillingMonth& month);
    void RefreshHistory();
    // The provider's bill for a month, kept beside the recorded fees; with
    // `learnCorrection` the history shows what the bills suggest of later months.
    Result<> SaveBill(const Bill& bill, bool learnCorrection);
    std::optional<double> BillOf(const BillingMonth& month) { return bills_.AmountOf(month); }
    bool LearnsBillCorrection() { return settings_.IsOn(keys::kBillCorrection); }
    // After the rules were saved or imported: a running call is charged under
    // them from its next minute, and the limits, the idle rule, the schedule and
    // the link check follow at once.
    void ReloadRules();
    // A report of the month the history shows (of its year, by month), for the
    // entry the dialer holds.
    Report LoadShownReport(ReportKind kind);
    // What the calls of the entry the dialer holds cost in the `months` billing
    // months up to `last`, and what they would have cost under `rules`.
    TariffComparison CompareTariff(const TimeRules& rules, const BillingMonth& last, int months);
    // The rules in force with another tariff, at the values stored for it.
    TimeRules RulesWithTariff(FeeType type);
    // The sound and order menu items: flip, store, and show.
    void ToggleSound();
    void ToggleLogOrder();
    // Writes the running call's record up to now, as the minute tick does but
    // without charging a minute: the program may be ended without notice soon
    // (the desktop session is ending).
    void WriteRunningCall();
    // Leaving the program: a call that is still up is closed as a hang-up would
    // close it (its part minute settled, its record written), records that could
    // not be written are tried once more, and the log is closed. True when a
    // call's record was saved; a failure says why a record is not in the log.
    Result<bool> CloseForExit();
    // Log maintenance works on the log file beside the session: while it holds
    // the log, records are kept to be written afterwards, never dropped. Once it
    // ends, the records kept are written (a running call's record again into a
    // log that was replaced, where its row may be missing) and the history and
    // totals are read anew.
    void HoldLogWrites() { logHeld_ = true; }
    void ResumeLogWrites();
    bool LogWritesHeld() const { return logHeld_; }

    // For tests and benchmarks; the displays are told what to show.
    const CurrentCall& Call() const { return call_; }
    const CallFee& Fee() const { return fee_; }
    const UsageTotals& Totals() const { return totals_; }
    const TimeRules& Rules() const { return rules_; }
    const BillingMonth& ShownMonth() const { return shownMonth_; }
    const MonthForecast& Forecast() const { return forecast_; }
    bool IsIdle() const { return idle_.IsIdle(); }
    BillingMonth CurrentBillingMonth() const;
    SettingsStore& Settings() { return settings_; }
    // What the displays show each second, composed on demand.
    LiveFigures Figures();

  private:
    // What the guard over a running link reads from the settings, loaded with the
    // rules so the ticks never read the log.
    struct GuardSettings {
        LimitAlerts limitAlerts;
        bool autoReDial = false;
        std::string checkHost;
        std::string keepAliveHost = kDefaultKeepAliveHost;
        TimedAction timedDial;
        TimedAction timedHangUp;
        // Whether each kind of notice is sent, by NoticeKind.
        std::array<bool, 5> notices{};
    };

    void WatchConnection();
    // `announced`: the dialer said the link came up; otherwise the watch found it
    // up (at start-up, or after a missed event).
    void OnConnected(bool announced);
    void OnDisconnected();
    void CaptureCallInfo(bool announced);
    // Settles the call's fee and writes its final record; the link may still be
    // up (when the program is left).
    void CloseCall();
    void SampleSpeed();
    void RefreshCallFigures();
    void MarkWhatTheRecordCannotVouchFor();
    void MarkCall(const char* kind, const std::string& detail);
    void ShowLiveFigures();
    void UpdateMenuStates();
    void ShowShownMonth();
    // The forecast follows the clock from the month's recorded days, read again
    // only when they change or the billing month has moved on.
    void UpdateForecast();
    void WarnOfLimitsAhead();
    void UpdateMinuteFee();
    // The volume tariff charges the call's bytes so far, beyond what the current
    // billing month includes.
    void ChargeCallVolume();
    void SaveDialLog();
    // A failed write shows at once and is retried; a write after failures says
    // that the records are in again.
    bool ReportWrite(const Result<>& written);
    void RetryUnsavedRecords();
    // The moment the call has reached: its begin plus the monotonic time since,
    // so a clock step during the call does not change its length.
    Moment CallMoment() const;
    void OnEntryLoaded();
    void OnPhoneBookChanged();
    // Keeps an entry selected while there is one to select.
    void SelectAnEntry(const std::vector<std::string>& names);
    void SaveLastEntry(const std::string& name);
    void StoreCredential(bool& edited, const std::function<void()>& assign);
    void PlaySound(Sound sound);
    void ShowLimitAlert(LimitKind kind);
    void CheckIdle();
    void TakeIdleAction();
    void AskWhetherToHangUpIdleLink();
    void RunSchedule(const Moment& now);
    void OnLinkProbed(PingOutcome outcome);
    void ShowStatus(const std::string& text);
    void ReadNoticeSwitches();
    // Told about the entry the dialer holds unless `entry` names another.
    void Announce(NoticeKind kind, const std::string& summary, const std::string* entry = nullptr);
    // The status line and a notice say the same.
    void ShowAndAnnounce(NoticeKind kind, const std::string& text);

    Dbio& db_;
    Dialer& dialer_;
    const Clock& clock_;
    UserInterface& ui_;
    LinkProbe& probe_;
    SettingsStore settings_;
    FeeEngine feeEngine_;
    CallLogWriter logWriter_;
    UsageTotalsReader usage_;
    BillBook bills_;

    TimeRules rules_;
    GuardSettings guard_;
    CurrentCall call_;
    CallFee fee_;
    UsageTotals totals_;
    SpeedMeter speed_;
    BillingMonth shownMonth_;
    ForecastInput forecastInput_;
    MonthForecast forecast_;
    std::string forecastWarned_;  // as the setting holds it
    std::int64_t callStartMs_ = 0;
    // What the running call's marks have told so far.
    int markedCounterResets_ = 0;
    std::int64_t markedClockStep_ = 0;
    bool startingUp_ = false;
    // Calls closed whose records could not be written yet, and whether the
    // running call's last write failed: both are tried again every few seconds.
    struct UnsavedCall {
        CurrentCall call;
        double fee = 0;
    };
    std::vector<UnsavedCall> unsaved_;
    bool runningCallUnsaved_ = false;
    bool logHeld_ = false;
    bool writeFailing_ = false;
    std::string lastWriteError_;
    std::int64_t lastRetryMs_ = 0;
    // The start-up dial waits for a back-end that is still reading its entries.
    bool autoDialWaiting_ = false;
    // Counts the calls opened, so an answer meant for one call never acts on the next.
    int callSerial_ = 0;
    bool userNameEdited_ = false;
    bool passwordEdited_ = false;
    IdleWatch idle_;
    // At most one limit message and one idle question are open at a time, and
    // one link probe is under way.
    bool limitMessageOpen_ = false;
    bool idleQuestionOpen_ = false;
    bool linkProbePending_ = false;
    // A limit is announced once while the link stays up, not every second it
    // stays reached; a link check that finds the link well again says so only
    // after one found it down.
    LimitKind limitAnnounced_ = LimitKind::kNone;
    bool linkFoundDown_ = false;
    // The minute the timed dial and hang-up last fired, so each fires once in it.
    std::string lastScheduledDial_;
    std::string lastScheduledHangUp_;
    // Callbacks that arrive after the session has gone find this expired.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vornik
