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

constexpr const char* kUnfinishedDetail = "记录尚未结束：通话还在进行，或程序已被中止";
constexpr const char* kTruncatedDetail = "记录提前结束：程序被中止，结束时间是最后写入的一分钟";

bool SaveMark(Dbio& db, std::int64_t rowId, const CallMark& mark) {
    return static_cast<bool>(
        db.Change("INSERT OR REPLACE INTO callmarks (callId, kind, detail) VALUES (?, ?, ?)",
                  {rowId, mark.kind, mark.detail}));
}

// A mark that cannot be written is tried again with the next write; the call's
// record itself never waits for it.
void SaveMarks(Dbio& db, CurrentCall& call, bool dialerConnected, bool inserted) {
    if (inserted && dialerConnected) {
        SaveMark(db, call.callRowId, {mark_kind::kUnfinished, kUnfinishedDetail});
    }
    if (!dialerConnected && !inserted) {
        (void)db.Change("DELETE FROM callmarks WHERE callId = ? AND kind = ?",
                        {call.callRowId, mark_kind::kUnfinished});
    }
    if (!call.marksChanged && !inserted) {
        return;
    }
    bool saved = true;
    for (const CallMark& mark : call.marks) {
        saved = SaveMark(db, call.callRowId, mark) && saved;
    }
    call.marksChanged = !saved;
}

}  // namespace

void CallLogWriter::MarkUnfinishedAsTruncated() {
    (void)db_.Change("UPDATE callmarks SET kind = ?, detail = ? WHERE kind = ?",
                     {mark_kind::kTruncated, kTruncatedDetail, mark_kind::kUnfinished});
}

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
            SaveMarks(db_, call, dialerConnected, false);
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
    SaveMarks(db_, call, dialerConnected, true);
    return Result<>::Success();
}

}  // namespace vornik
