#include "reports/month_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::ReadFile;
using testing::TempFolder;

constexpr int kFirstFeeDay = 21;

class MonthReportTest : public ::testing::Test {
  protected:
    void AddCall(const std::string& entry, const std::string& begin, const std::string& end,
                 double fee, std::int64_t bytesIn, std::int64_t bytesOut,
                 const std::string& device = "PPPoE") {
        ASSERT_TRUE(db_.ExecuteSql(
            "INSERT INTO diallog (beginTime, endTime, entryName, deviceType, IpAddress, BytesIn, "
            "BytesOut, fee) VALUES (?, ?, ?, ?, '10.0.0.7', ?, ?, ?)",
            {begin, end, entry, device, bytesIn, bytesOut, fee}));
    }
    // Three calls of ADSL in the billing month of May 2006 (21 April to 20 May),
    // one before it and one of another entry.
    void AddMay2006() {
        AddCall("ADSL", "2006-04-22 08:00:00", "2006-04-22 08:30:00", 5.25, 1048576, 2048);
        AddCall("ADSL", "2006-05-02 20:00:00", "2006-05-02 20:10:05", 4.75, 1234567, 4096);
        AddCall("ADSL", "2006-05-02 22:00:00", "2006-05-02 22:01:00", 2.5, 0, 0);
        AddCall("ADSL", "2006-04-20 08:00:00", "2006-04-20 09:00:00", 9, 1, 1);
        AddCall("GPRS", "2006-05-03 08:00:00", "2006-05-03 09:00:00", 9, 1, 1);
    }
    Report Load(ReportKind kind, BillingMonth month = {2006, 5}) {
        return LoadReport(reader_, kind, month, kFirstFeeDay, "ADSL");
    }

    TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    UsageTotalsReader reader_{db_};
};

TEST_F(MonthReportTest, TheMonthByCallNumbersItsCallsFromNought) {
    AddMay2006();
    const Report report = Load(ReportKind::kByCall);
    EXPECT_EQ(ReportFileName(report, ReportFormat::kHtml), "ADSL-2006年5月报表(按每次).html");
    EXPECT_EQ(ComposeReport(report, ReportFormat::kHtml, PlainNumber),
              "<html><head><meta charset=\"utf-8\"></head><body>\r\n"
              "<table width=100%><tr><td align=center><b><font size=+2>ADSL 2006年5月拨号报表("
              "按每次)</font></b></td></tr></table>\r\n"
              "<table width=100% ><tr><td align=center><font size=-1 color=blue>本月共上网3次，"
              "共用时间00:41:05,总流量2.18MB, 花费12.5</font></td></tr></table>\r\n"
              "<br>\r\n"
              "<table border=1 bordercolor=blue  align=center>\r\n"
              "<tr><td>序号</td><td>开始时间</td><td>结束时间</td><td>上网用时</td><td>上网费用</"
              "td><td>名称</td><td>类型</td><td>客户机子IP</td><td>接受字节</td><td>发送字节</"
              "td></tr>\r\n"
              "<tr>\r\n<td align=right>0</td>\r\n<td align=right>2006-04-22 08:00:00</td>\r\n"
              "<td align=right>2006-04-22 08:30:00</td>\r\n<td align=right>00:30:00</td>\r\n"
              "<td align=right>5.25</td>\r\n<td align=right>ADSL</td>\r\n"
              "<td align=right>PPPoE</td>\r\n<td align=right>10.0.0.7</td>\r\n"
              "<td align=right>1048576</td>\r\n<td align=right>2048</td>\r\n</tr>\r\n"
              "<tr>\r\n<td align=right>1</td>\r\n<td align=right>2006-05-02 20:00:00</td>\r\n"
              "<td align=right>2006-05-02 20:10:05</td>\r\n<td align=right>00:10:05</td>\r\n"
              "<td align=right>4.75</td>\r\n<td align=right>ADSL</td>\r\n"
              "<td align=right>PPPoE</td>\r\n<td align=right>10.0.0.7</td>\r\n"
              "<td align=right>1234567</td>\r\n<td align=right>4096</td>\r\n</tr>\r\n"
              "<tr>\r\n<td align=right>2</td>\r\n<td align=right>2006-05-02 22:00:00</td>\r\n"
              "<td align=right>2006-05-02 22:01:00</td>\r\n<td align=right>00:01:00</td>\r\n"
              "<td align=right>2.50</td>\r\n<td align=right>ADSL</td>\r\n"
              "<td align=right>PPPoE</td>\r\n<td align=right>10.0.0.7</td>\r\n"
              "<td align=right>0</td>\r\n<td align=right>0</td>\r\n</tr>\r\n"
              "</table>\r\n</body></html>\r\n");
}

// A billing month from 21 December to 20 January: January's days come first,
// as the page has always listed them, and the data forms date them rightly.
TEST_F(MonthReportTest, AMonthAcrossTheYearsEndListsJanuaryFirst) {
    AddCall("ADSL", "2006-12-28 10:00:00", "2006-12-28 11:00:00", 1.5, 100, 10);
    AddCall("ADSL", "2006-12-28 12:00:00", "2006-12-28 12:30:00", 0.75, 50, 5);
    AddCall("ADSL", "2007-01-03 10:00:00", "2007-01-03 10:20:00", 0.5, 7, 1);
    const Report report = Load(ReportKind::kByDay, {2007, 1});
    EXPECT_EQ(ReportFileName(report, ReportFormat::kCsv), "ADSL-2007年1月报表(按每天).csv");
    const std::string page = ComposeReport(report, ReportFormat::kHtml, PlainNumber);
    EXPECT_NE(page.find("本月上网共用时间01:50:00,总流量0.00MB, 花费2.75<"), std::string::npos)
        << page;
    EXPECT_NE(page.find("<tr>\r\n<td align=right>1</td>\r\n<td align=right>3</td>\r\n"
                        "<td align=right>1</td>\r\n<td align=right>00:20:00</td>\r\n"
                        "<td align=right>0.50</td>"),
              std::string::npos)
        << page;
    EXPECT_LT(page.find("<td align=right>1</td>\r\n<td align=right>3</td>"),
              page.find("<td align=right>12</td>\r\n<td align=right>28</td>\r\n"
                        "<td align=right>2</td>\r\n<td align=right>01:30:00</td>\r\n"
                        "<td align=right>2.25</td>"));
    EXPECT_EQ(ComposeReport(report, ReportFormat::kCsv, PlainNumber),
              "date,calls,seconds,fee,bytesIn,bytesOut\r\n"
              "2007-01-03,1,1200,0.50,7,1\r\n"
              "2006-12-28,2,5400,2.25,150,15\r\n");
}

TEST_F(MonthReportTest, TheYearHasEveryBillingMonthAndTheYearsTotals) {
    AddMay2006();
    AddCall("ADSL", "2006-12-21 00:00:00", "2006-12-21 00:00:30", 1, 5, 5);  // billing 2007-01
    const Report report = Load(ReportKind::kByMonth, {2006, 9});
    EXPECT_EQ(ReportFileName(report, ReportFormat::kJson), "ADSL-2006年报表(按每月).json");
    ASSERT_EQ(report.months.size(), 12u);
    EXPECT_EQ(report.callCount, 4);  // the call of 20 April counts for April
    EXPECT_EQ(report.months[3].calls, 1);
    EXPECT_EQ(report.months[4].calls, 3);
    EXPECT_EQ(report.months[4].bytesIn, 1048576 + 1234567);
    EXPECT_DOUBLE_EQ(report.sums.fee, 21.5);
    const std::string page = ComposeReport(report, ReportFormat::kHtml, PlainNumber);
    EXPECT_NE(page.find("ADSL 2006年拨号报表(按每月)"), std::string::npos);
    EXPECT_NE(page.find("本年共上网4次，共用时间01:41:05,"), std::string::npos) << page;
}

TEST_F(MonthReportTest, JsonCarriesNumbersAndZonedTimes) {
    setenv("TZ", "CST-8", 1);
    tzset();
    AddCall("A \"quoted\"\\entry", "2006-05-02 20:00:00", "2006-05-02 20:10:05", 4.75, 12, 3,
            "modem\n\x01");
    ASSERT_TRUE(db_.ExecuteSql("INSERT INTO callmarks VALUES ((SELECT max(id) FROM diallog), ?, ?)",
                               {"clockStep", "时钟跳动"}));
    Report report =
        LoadReport(reader_, ReportKind::kByCall, {2006, 5}, kFirstFeeDay, "A \"quoted\"\\entry");
    report.calls.front().id = 1;
    EXPECT_EQ(ComposeReport(report, ReportFormat::kJson, PlainNumber),
              R"({
  "report": "calls",
  "entry": "A \"quoted\"\\entry",
  "billingMonth": "2006-05",
  "start": "2006-04-21T00:00:00+08:00",
  "end": "2006-05-20T23:59:59+08:00",
  "totals": {
    "calls": 1,
    "seconds": 605,
    "fee": 4.75,
    "bytes": 15
  },
  "calls": [
    {
      "number": 0,
      "id": 1,
      "begin": "2006-05-02T20:00:00+08:00",
      "end": "2006-05-02T20:10:05+08:00",
      "seconds": 605,
      "fee": 4.75,
      "entry": "A \"quoted\"\\entry",
      "deviceType": "modem\n\u0001",
      "ipAddress": "10.0.0.7",
      "bytesIn": 12,
      "bytesOut": 3,
      "marks": [
        {
          "kind": "clockStep",
          "detail": "时钟跳动"
        }
      ]
    }
  ]
}
)");
    unsetenv("TZ");
    tzset();
}

// Entry names and device types are the user's and the back-end's texts: in the
// page they are text, never markup, and in the file name never a path.
TEST_F(MonthReportTest, HostileNamesStayText) {
    const std::string hostile = "<script>alert('x')</script>/../..";
    AddCall(hostile, "2006-05-02 20:00:00", "2006-05-02 20:10:05", 1, 1, 1, "a,\"b\"");
    const Report report =
        LoadReport(reader_, ReportKind::kByCall, {2006, 5}, kFirstFeeDay, hostile);
    const std::string page = ComposeReport(report, ReportFormat::kHtml, PlainNumber);
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;/../.. 2006年5月"),
              std::string::npos);
    EXPECT_NE(ComposeReport(report, ReportFormat::kCsv, PlainNumber).find(",\"a,\"\"b\"\"\","),
              std::string::npos);
    const auto written = WriteReport(folder_.Path(), report, ReportFormat::kHtml, PlainNumber);
    ASSERT_TRUE(written) << written.Error();
    EXPECT_EQ(written->parent_path(), folder_ / "report");
    EXPECT_EQ(ReadFile(*written), page);
}

TEST_F(MonthReportTest, NothingToReportAndAFolderThatCannotBeWritten) {
    AddMay2006();
    const Report empty = Load(ReportKind::kByDay, {2006, 7});
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(NothingToReportText(empty.kind), "本月没有拨号记录。");

    const Report may = Load(ReportKind::kByDay);
    // A file where the report folder should be: the write fails and says so.
    testing::WriteFile(folder_ / "report", "not a folder");
    const auto written = WriteReport(folder_.Path(), may, ReportFormat::kHtml, PlainNumber);
    EXPECT_FALSE(written);
    EXPECT_FALSE(written.Error().empty());
}

}  // namespace
}  // namespace vornik
