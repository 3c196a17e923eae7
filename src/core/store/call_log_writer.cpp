#include "store/call_log_writer.h"

#include <optional>
#include <string>
#include <utility>

#include "store/dbio.h"

namespace vornik {
namespace {

// A call's row is found by its begin second and entry name; the text equality
// on the stored moment means "the same second" and uses (entryName, beginTime).
constexpr const char* kCallRowFilter = " WHERE entryName = ? AND beginTime = ?";

SqlParams CallRowKey(const CurrentCall& call) {
    return {call.callEntryName, call.callBeginTime};
}

// Nothing when the look-up itself failed: the caller must not take that for "no
// row", or a transient failure would insert a second row for the same call and
// every later total would count the call twice.
std::optional<bool> HasCallRow(Dbio& db, const CurrentCall& call) {
    const auto count = db.QueryValue(std::string("SELECT count(*) FROM diallog") + kCallRowFilter,
                                     CallRowKey(call));
    if (!count) {
        return std::nullopt;
    }
    return count->Integer() > 0;
}

bool UpdateCallRow(Dbio& db, const CurrentCall& call, double callFee, const std::string& endTime) {
    SqlParams params{endTime, call.callBytesIn, call.callBytesOut, callFee};
    for (SqlParam& key : CallRowKey(call)) {
        params.push_back(std::move(key));
    }
    return db.ExecuteSql(
        std::string("UPDATE diallog SET endTime = ?, BytesIn = ?, BytesOut = ?, fee = ?") +
            kCallRowFilter,
        params);
}

bool InsertCallRow(Dbio& db, const CurrentCall& call, double callFee) {
    return db.ExecuteSql(
        "INSERT INTO diallog (beginTime, endTime, entryName, deviceType, IpAddress, BytesIn, "
        "BytesOut, fee) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
        {call.callBeginTime, call.callEndTime, call.callEntryName, call.callDeviceType,
         call.callIpAddress, call.callBytesIn, call.callBytesOut, callFee});
}

}  // namespace

bool CallLogWriter::SaveDialLog(CurrentCall& call, double callFee, bool dialerConnected,
                                const std::string& dialerAddress, const Moment& now) {
    if (call.callIpAddress == kUnknownAddress && !dialerAddress.empty()) {
        call.callIpAddress = dialerAddress;
    }
    const std::optional<bool> found = HasCallRow(db_, call);
    if (!found) {
        return false;
    }
    if (*found) {
        return UpdateCallRow(db_, call, callFee,
                             dialerConnected ? MomentText(now) : call.callEndTime);
    }
    if (dialerConnected) {
        call.callEndTime = MomentText(now);
    }
    return InsertCallRow(db_, call, callFee);
}

}  // namespace vornik
