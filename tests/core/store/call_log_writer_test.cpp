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

// What the writer reads of a call that CaptureCallInfo opened.
CurrentCall CallBegunAt(const Moment& begin, const std::string& entry = "adsl") {
    CurrentCall call;
    call.callBeginTime = MomentText(begin);
    call.callEntryName = entry;
    call.callDeviceType = "PPPoE";
    call.callIpAddress = std::string(kUnknownAddress);
    return call;
}

class CallLogWriterTest : public ::testing::Test {
  protected:
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

// The session tests cover the short call, the minute writes and the late address
// through whole calls; these are the rules only the writer sees.
TEST_F(CallLogWriterTest, OneRowPerCallKeepsItsInsertedAddressAndExactCounts) {
    CurrentCall call = CallBegunAt(At(10, 0, 0));
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.05, true, "", At(10, 0, 30)));
    EXPECT_EQ(call.callEndTime, "2006-05-21 10:00:30");
    // An address that comes after the insert goes to the call only, and a later
    // one does not replace it; an update never rewrites the device either.
    call.callDeviceType = "modem";
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.10, true, "10.0.0.7", At(10, 1, 30)));
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.10, true, "10.0.0.9", At(10, 1, 40)));
    EXPECT_EQ(call.callIpAddress, "10.0.0.7");
    EXPECT_EQ(call.callEndTime, "2006-05-21 10:00:30");

    // Disconnection: counts beyond seven significant digits and 32 bits kept exact.
    call.callEndTime = MomentText(At(10, 2, 0));
    call.callBytesIn = 5'000'000'123;
    call.callBytesOut = 4'294'967'297;
    ASSERT_TRUE(writer_.SaveDialLog(call, 0.125, false, "", At(10, 1, 50)));
    EXPECT_EQ(LogRows(),
              (Rows{{Field("2006-05-21 10:00:00"), Field("2006-05-21 10:02:00"), Field("adsl"),
                     Field("PPPoE"), Field("Unknow Address"), Field(std::int64_t{5'000'000'123}),
                     Field(std::int64_t{4'294'967'297}), Field(0.125)}}));
}

// When the clocks go back an hour, a second call can begin in the very second of
// an earlier one; each keeps its own row.
TEST_F(CallLogWriterTest, EachCallKeepsItsOwnRowEvenInTheSameSecond) {
    CurrentCall first = CallBegunAt(At(1, 30, 0), "Ming's ' line");
    CurrentCall second = CallBegunAt(At(1, 30, 0), "Ming's ' line");
    ASSERT_TRUE(writer_.SaveDialLog(first, 0.05, true, "", At(1, 30, 30)));
    ASSERT_TRUE(writer_.SaveDialLog(second, 0.20, true, "10.0.0.8", At(1, 30, 31)));
    first.callBytesIn = 111;
    ASSERT_TRUE(writer_.SaveDialLog(first, 0.10, true, "", At(1, 30, 45)));

    Rows rows = LogRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][2].Text(), "Ming's ' line");
    EXPECT_EQ(rows[0][1].Text(), "2006-05-21 01:30:45");
    EXPECT_EQ(rows[0][5].Integer(), 111);
    EXPECT_EQ(rows[1][1].Text(), "2006-05-21 01:30:31");
    EXPECT_EQ(rows[1][4].Text(), "10.0.0.8");  // known at the insert
    EXPECT_EQ(rows[1][5].Integer(), 0);

    // A row that is gone (the log was replaced meanwhile) is written anew.
    ASSERT_TRUE(db_.ExecuteSql("DELETE FROM diallog"));
    ASSERT_TRUE(writer_.SaveDialLog(first, 0.15, true, "", At(1, 31, 0)));
    rows = LogRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0][7].NumberOr0(), 0.15);
}

TEST(CallLogWriterFailure, UnreachableLogReportsFailureAndLeavesTheCallAsItWas) {
    TempFolder folder;
    testing::WriteFile(folder / "db", "not a folder");
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    CallLogWriter writer(db);
    CurrentCall call = CallBegunAt(At(10, 0, 0));

    const Result<> written = writer.SaveDialLog(call, 0.05, true, "", At(10, 0, 30));
    EXPECT_FALSE(written.Ok());
    EXPECT_FALSE(written.Error().empty());
    EXPECT_EQ(call.callEndTime, "");
    EXPECT_EQ(call.callRowId, 0);
    EXPECT_FALSE(testing::ReadFile(folder / "log/error.log").empty());
}

}  // namespace
}  // namespace vornik
