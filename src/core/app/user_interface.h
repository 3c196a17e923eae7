// What the session asks of whoever shows it to a person: the desktop shell, the
// headless terminal, or a test. The session tells it what to show; the shell
// never reads the session, the dialer or the log behind this port's back.
// Nothing here blocks waiting for a person: a question is answered later through
// its callback.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/status_display.h"
#include "base/call_record.h"
#include "base/call_state.h"
#include "metering/speed_meter.h"
#include "reports/bills.h"
#include "reports/month_forecast.h"
#include "reports/usage_totals.h"

namespace vornik {

enum class Sound { kConnected, kDisconnect, kTimeout, kVolumeOut, kIdle };

// The pictures of the tray icon and of the floating window that follow the link.
enum class LinkIcons {
    kConnected,     // tray "connected", floating window "connected" with active arrows
    kDisconnected,  // tray "disconnected", floating window "hung up"
    kIdle           // tray "idle", floating window "idle" with idle arrows
};

// What a notice outside the windows is about; each kind can be switched off.
// A forecast that the pace will pass a limit is a limit's notice to the user,
// who switches both with the same switch, but it is told apart from the limit
// itself, so that neither replaces the other on the desktop.
enum class NoticeKind { kLimit, kIdle, kLinkCheck, kDialError, kConnection, kForecast };

// An event worth telling a user who is not looking at the window: `summary` is
// the program's own text for it, `body` names the entry it concerns.
struct Notice {
    NoticeKind kind = NoticeKind::kConnection;
    std::string summary;
    std::string body;
};

// The billing month the history view shows, with its calls.
struct MonthHistory {
    BillingMonth month;
    std::vector<CallRecord> calls;  // oldest first
    bool descending = false;        // the newest call at the top
};

// What the provider billed for the month the history shows, its recorded sums,
// and the correction learned from the bills when the user asked for it.
struct MonthBill {
    std::optional<double> billed;
    UsageSums recorded;
    std::optional<BillCorrection> correction;
};

// What the displays show once a second.
struct LiveFigures {
    bool connected = false;
    std::string entryName;
    const CurrentCall& call;
    const CallFee& fee;
    const UsageTotals& totals;
    const SpeedMeter& speed;
    double maxSpeed = 70;  // KB/s at full height of the speed graph
    // The shown month is the current billing month, so a running call counts in it.
    bool callInShownMonth = false;
    // Where the current billing month is heading, from its recorded calls.
    const MonthForecast* forecast = nullptr;
};

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // The whole dial status line, "拨号状态：" included.
    virtual void ShowDialStatus(const std::string& line) = 0;
    // Starts a prompt sound and returns at once; the session has already checked
    // that sounds are on.
    virtual void PlaySound(Sound sound) = 0;
    virtual void ShowLinkIcons(LinkIcons icons) = 0;
    virtual void ShowMenuStates(const MenuStates& states) = 0;
    virtual void ShowHistory(const MonthHistory& history) = 0;
    // Follows every ShowHistory; a front without a history lets it pass.
    virtual void ShowMonthBill(const MonthBill& /*bill*/) {}
    // The current billing month's forecast, made again each minute and when the
    // log's totals move; the live figures carry the same one every second.
    virtual void ShowForecast(const MonthForecast& /*forecast*/) {}
    virtual void ShowLiveFigures(const LiveFigures& figures) = 0;
    // Whether anything shows the live figures now; when not, they are not even
    // gathered (a log file that receives only what changes).
    virtual bool LiveFiguresShown() const { return true; }
    virtual void ShowEntryList(const std::vector<std::string>& names) = 0;
    // The entry box shows this name (selection by the program, not the user).
    virtual void ShowEntry(const std::string& name) = 0;
    virtual void ShowCredentials(const std::string& userName, const std::string& password) = 0;
    // An OK-only message box with the application's title; `closed` runs when the
    // user has dismissed it.
    virtual void ShowMessage(const std::string& text, std::function<void()> closed) = 0;
    // An OK/Cancel question; `answer` gets true for OK.
    virtual void AskOkCancel(const std::string& question, std::function<void(bool ok)> answer) = 0;
    // Comes beside what the status line, the sounds and the boxes already show;
    // the session sends only the kinds the user has left on. A front without
    // desktop notifications lets it pass.
    virtual void Announce(const Notice& /*notice*/) {}
    // A word that needs no answer and must not interrupt (the desktop shows it in
    // the tray's balloon); a front with no such place lets it pass.
    virtual void ShowNotice(const std::string& /*text*/) {}
};

}  // namespace vornik
