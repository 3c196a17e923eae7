// The texts the displays show once a second: the status text and tray tooltip,
// the floating window's lines, the speed text, the history summary, and the menu
// states that follow the link. Composed from the session's fields only: nothing
// here reads the log.
#pragma once

#include <functional>
#include <string>

#include "base/call_state.h"
#include "base/number_text.h"
#include "reports/usage_totals.h"

namespace vornik {

struct StatusText {
    std::string text;     // lines separated by "\n"
    std::string trayTip;  // two lines
};

StatusText ComposeStatusText(const CurrentCall& call, double callFee, const UsageTotals& totals,
                             bool connected, const NumberFormat& format);

// "本次用时:" or "上次用时:" with the call's duration.
std::string FloatTimeLine(const CurrentCall& call, bool connected);
// A speed in KB/s for the floating window: "12.3k", or bytes per second "0.0b".
std::string FloatSpeedText(double kiloBytesPerSecond);
// The two lines of the speed label.
std::string SpeedText(double downKBps, double upKBps, const NumberFormat& format);

struct MonthSummary {
    std::string text;
    std::string toolTip;  // also the history grid's tooltip
};
// `runningCall`: the shown month is the current billing month and a call is up,
// so its time and fee are added (its bytes are not).
MonthSummary ComposeMonthSummary(const BillingMonth& shown, int historyRowCount,
                                 const UsageTotals& totals, bool runningCall,
                                 std::int64_t callSeconds, double callFee,
                                 const NumberFormat& format);

struct MenuStates {
    bool dialEnabled = false;
    bool reportEnabled = false;
    bool hangUpEnabled = false;
    std::string soundCaption;
    std::string orderCaption;
};
MenuStates ComputeMenuStates(const std::string& entryName, bool connected, bool soundOn,
                             int logOrderDescending);

}  // namespace vornik
