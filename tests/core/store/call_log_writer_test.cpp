#include "store/call_log_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::TempFolder;

Moment At(int hour, int minute, int second) {
    return Moment{2006, 5, 21, hour, minute, second};
}

// What CaptureCallInfo leaves behind when the link comes up.
CurrentCall CallBegunAt(const Moment& begin, const std::string& entry = "adsl") {
    CurrentCall call;
    call.isConnected = true;
    call.connectTimeText = MomentText(begin);
    call.callBeginTime = call.connectTimeText;
    call.callEntryName = entry;
    call.callDeviceType = "PPPoE";
    call.callIpAddress = std::string(kUnknownAddress);
    return call;
}

class CallLogWriterTest : public ::testing::Test {
  protected:
    // Every row: beginTime, endTime, entryName, deviceType, IpAddress, BytesIn, BytesOut, fee.
    Rows LogRows() {
        return db_.QueryRows(
            "SELECT beginTime, endTime, entryName, deviceType, IpAddress, BytesIn, BytesOut, fee "
            "FROM diallog ORDER BY id");
    }

    TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    CallLogWriter writer_{db_};
};

TEST_F(CallLogWriterTest, CallShorterThanAMinuteTickIsInsertedOnceAtDisconnection) {
    CurrentCall call = CallBegunAt(At(10, 0, 0));
    call.callEndTime = MomentText(At(10, 0, 40));
    call.callBytesIn = 1200;
    call.callBytesOut = 300;

    ASSERT_TRUE(writer_.SaveDialLog(call, 0.05, false, "", At(10, 0, 41)));

    const Rows rows = LogRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (Row{Field("2006-05-21 10:00:00"), Field("2006-05-21 10:00:40"),
                            Field("adsl"), Field("PPPoE"), Field("Unknow Address"),
                            Field(std::int64_t{1200}), Field(std::int64_t{300}), Field(0.05)}));
    EXPECT_EQ(call.callEndTime, "2006-05-21 10:00:40");
}

TEST_F(CallLogWriterTest, LongCallKeepsOneRowThatEndsAtTheLastWrite) {
    CurrentCall call = CallBegunAt(At(10, 0, 0));

    // First minute tick: inserted, ending now, and the call's end follows.
    call.callBytesIn = 1000;
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.05, true, "", At(10, 0, 30)));
    EXPECT_EQ(call.callEndTime, "2006-05-21 10:00:30");
    ASSERT_EQ(LogRows().size(), 1u);
    EXPECT_EQ(LogRows()[0][1].Text(), "2006-05-21 10:00:30");

    // Next tick: the row moves on, the call's end text stays.
    call.callBytesIn = 2000;
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.10, true, "", At(10, 1, 30)));
    EXPECT_EQ(call.callEndTime, "2006-05-21 10:00:30");
    ASSERT_EQ(LogRows().size(), 1u);
    EXPECT_EQ(LogRows()[0][1].Text(), "2006-05-21 10:01:30");
    EXPECT_EQ(LogRows()[0][5].Integer(), 2000);

    // Disconnection, settled on a whole minute: the final values, counts beyond
    // seven significant digits and beyond 32 bits kept exact.
    call.callEndTime = MomentText(At(10, 2, 0));
    call.callBytesIn = 5'000'000'123;
    call.callBytesOut = 4'294'967'297;
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.125, false, "", At(10, 1, 50)));
    const Rows rows = LogRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].Text(), "2006-05-21 10:00:00");
    EXPECT_EQ(rows[0][1].Text(), "2006-05-21 10:02:00");
    EXPECT_EQ(rows[0][5], Field(std::int64_t{5'000'000'123}));
    EXPECT_EQ(rows[0][6], Field(std::int64_t{4'294'967'297}));
    EXPECT_DOUBLE_EQ(rows[0][7].NumberOr0(), 0.125);
}

TEST_F(CallLogWriterTest, AddressReachesTheRowOnlyWhenKnownAtTheInsert) {
    CurrentCall late = CallBegunAt(At(10, 0, 0), "late");
    ASSERT_TRUE(writer_.SaveDialLog(late, 0, true, "", At(10, 0, 30)));
    late.callDeviceType = "modem";
    ASSERT_TRUE(writer_.SaveDialLog(late, 0, true, "10.0.0.7", At(10, 1, 30)));
    EXPECT_EQ(late.callIpAddress, "10.0.0.7");

    CurrentCall early = CallBegunAt(At(11, 0, 0), "early");
    ASSERT_TRUE(writer_.SaveDialLog(early, 0, true, "10.0.0.8", At(11, 0, 30)));
    // Only the placeholder gives way: a known address is kept.
    ASSERT_TRUE(writer_.SaveDialLog(early, 0, true, "10.0.0.9", At(11, 1, 30)));
    EXPECT_EQ(early.callIpAddress, "10.0.0.8");

    const Rows rows = LogRows();
    ASSERT_EQ(rows.size(), 2u);
    // An update never rewrites the device or the address.
    EXPECT_EQ(rows[0][3].Text(), "PPPoE");
    EXPECT_EQ(rows[0][4].Text(), "Unknow Address");
    EXPECT_EQ(rows[1][4].Text(), "10.0.0.8");
}

TEST_F(CallLogWriterTest, RowIsIdentifiedByBeginSecondAndEntryName) {
    CurrentCall first = CallBegunAt(At(10, 0, 0), "adsl");
    CurrentCall second = CallBegunAt(At(10, 0, 0), "adsl");
    CurrentCall otherEntry = CallBegunAt(At(10, 0, 0), "gprs");
    ASSERT_TRUE(writer_.SaveDialLog(first, 0.05, true, "", At(10, 0, 30)));
    ASSERT_TRUE(writer_.SaveDialLog(second, 0.10, true, "", At(10, 0, 45)));
    ASSERT_TRUE(writer_.SaveDialLog(otherEntry, 0.20, true, "", At(10, 0, 50)));

    const Rows rows = LogRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][2].Text(), "adsl");
    EXPECT_EQ(rows[0][1].Text(), "2006-05-21 10:00:45");
    EXPECT_DOUBLE_EQ(rows[0][7].NumberOr0(), 0.10);
    EXPECT_EQ(rows[1][2].Text(), "gprs");
    EXPECT_DOUBLE_EQ(rows[1][7].NumberOr0(), 0.20);
}

TEST_F(CallLogWriterTest, QuoteInTheEntryNameIsStoredIntactAndFoundAgain) {
    CurrentCall call = CallBegunAt(At(10, 0, 0), "Ming's ' line");
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.05, true, "", At(10, 0, 30)));
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.10, true, "", At(10, 1, 30)));

    const Rows rows = LogRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2].Text(), "Ming's ' line");
    EXPECT_DOUBLE_EQ(rows[0][7].NumberOr0(), 0.10);
}

TEST(CallLogWriterFailure, UnreachableLogReportsFailureAndLeavesTheCallAsItWas) {
    TempFolder folder;
    testing::WriteFile(folder / "db", "not a folder");
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    CallLogWriter writer(db);
    CurrentCall call = CallBegunAt(At(10, 0, 0));

    EXPECT_FALSE(writer.SaveDialLog(call, 0.05, true, "", At(10, 0, 30)));
    EXPECT_EQ(call.callEndTime, "");
    EXPECT_FALSE(testing::ReadFile(folder / "log/error.log").empty());
}

}  // namespace
}  // namespace vornik
