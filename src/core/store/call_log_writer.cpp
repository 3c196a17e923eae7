#include "store/call_log_writer.h"

#include "store/dbio.h"

namespace vornik {
namespace {

// The begin and entry guard against a row id that now names another call, in a
// log that was restored or replaced while the call ran.
// The call's seconds go with its times; a time that cannot be read leaves them
// to the log's own rule.
SqlParam SecondsBetweenTexts(const std::string& begin, const std::string& end) {
    const auto from = ParseMoment(begin);
    const auto to = ParseMoment(end);
    if (!from || !to) {
        return nullptr;
    }
    return SecondsBetween(*from, *to);
}

Result<int> UpdateCallRow(Dbio& db, const CurrentCall& call, double callFee,
                          const std::string& endTime) {
    return db.Change(
        "UPDATE diallog SET endTime = ?, callSeconds = ?, BytesIn = ?, BytesOut = ?, fee = ?"
        " WHERE id = ? AND beginTime = ? AND entryName = ?",
        {endTime, SecondsBetweenTexts(call.callBeginTime, endTime), call.callBytesIn,
         call.callBytesOut, callFee, call.callRowId, call.callBeginTime, call.callEntryName});
}

Result<std::int64_t> InsertCallRow(Dbio& db, const CurrentCall& call, double callFee,
                                   const std::string& endTime) {
    return db.Insert(
        "INSERT INTO diallog (beginTime, endTime, callSeconds, entryName, deviceType, IpAddress,"
        " BytesIn, BytesOut, fee) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {call.callBeginTime, endTime, SecondsBetweenTexts(call.callBeginTime, endTime),
         call.callEntryName, call.callDeviceType, call.callIpAddress, call.callBytesIn,
         call.callBytesOut, callFee});
}

}  // namespace

Result<> CallLogWriter::SaveDialLog(CurrentCall& call, double callFee, bool dialerConnected,
                                    const std::string& dialerAddress, const Moment& now) {
    if (call.callIpAddress == kUnknownAddress && !dialerAddress.empty()) {
        call.callIpAddress = dialerAddress;
    }
    if (call.callRowId != 0) {
        const Result<int> updated =
            UpdateCallRow(db_, call, callFee, dialerConnected ? MomentText(now) : call.callEndTime);
        if (!updated) {
            return Result<>::Failure(updated.Error());
        }
        if (updated.Value() > 0) {
            return Result<>::Success();
        }
    }
    const std::string endTime = dialerConnected ? MomentText(now) : call.callEndTime;
    const Result<std::int64_t> inserted = InsertCallRow(db_, call, callFee, endTime);
    if (!inserted) {
        return Result<>::Failure(inserted.Error());
    }
    call.callRowId = inserted.Value();
    call.callEndTime = endTime;
    return Result<>::Success();
}

}  // namespace vornik
