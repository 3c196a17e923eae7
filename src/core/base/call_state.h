// The run-time state of the current call, its fee and the usage totals that the
// session holds and the metering, fee, log and history code read and write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/call_record.h"

namespace vornik {

// What the log records when the dialer reports no address.
inline constexpr std::string_view kUnknownAddress = "Unknow Address";

struct CurrentCall {
    bool isConnected = false;
    std::string connectTimeText;     // moment text the link was seen up
    std::string disconnectTimeText;  // moment text it went down
    std::string callBeginTime;
    std::int64_t callRowId = 0;  // the call's row in the log; 0 until it is written
    std::string callEndTime;
    std::string callEntryName;
    std::string callDeviceType;
    std::string callIpAddress;
    std::int64_t callBytesIn = 0;
    std::int64_t callBytesOut = 0;
    std::int64_t callSeconds = 0;  // of the current call, and after hang-up of the last one
    // What its record cannot vouch for; written with the record when changed.
    std::vector<CallMark> marks;
    bool marksChanged = false;
};

struct CallFee {
    double callFee = 0;    // fee of the current call so far
    double minuteFee = 0;  // one minute at the current tariff and moment, phone charge included
    std::int32_t callMinutes = 0;  // minute ticks counted while the call is up
    double volumeFee = 0;          // the part of callFee charged for its bytes so far
};

struct UsageTotals {
    std::int64_t todaySeconds = 0;
    double todayFee = 0;
    std::int64_t todayBytes = 0;
    // The billing month shown in the history view.
    std::int64_t shownMonthSeconds = 0;
    double shownMonthFee = 0;
    std::int64_t shownMonthBytes = 0;
    // The current billing month.
    std::int64_t billingMonthSeconds = 0;
    std::int64_t billingMonthBytes = 0;
};

}  // namespace vornik
