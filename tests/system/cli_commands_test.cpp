// vornik log, totals, report, status, dial and hangup, run as a script runs
// them on a prepared program folder, their JSON read back.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <sstream>

#include "program_folder_fixture.h"
#include "store/dbio.h"

namespace vornik::testing {
namespace {

constexpr auto kBound = 30s;

Finished Vornik(const ProgramFolderFixture& folder, std::vector<std::string> args) {
    return RunVornik(folder.Root(), folder.Scratch(), std::move(args));
}

QJsonObject Json(const Finished& finished) {
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(finished.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << finished.out << finished.err;
    return document.object();
}

// Billing month 2006-05 (from 2006-04-21, the first fee day being 21): three
// calls of ADSL over two days and one of another entry; one call of ADSL in the
// billing month 2006-06.
void RecordCalls(ProgramFolderFixture& folder) {
    folder.SaveSettings({{keys::kLastEntry, "ADSL"}});
    const vornik::ErrorLog log(folder.Scratch() / "test-error.log");
    Dbio db(folder.Root() / "db" / "diallog.db", log);
    db.OpenDatabase();
    const std::vector<std::vector<std::string>> calls = {
        {"2006-04-30 10:00:00", "2006-04-30 11:00:00", "ADSL", "5"},
        {"2006-05-01 08:00:00", "2006-05-01 08:30:00", "ADSL", "2.5"},
        {"2006-05-01 20:00:00", "2006-05-01 20:10:00", "ADSL", "5"},
        {"2006-05-02 09:00:00", "2006-05-02 09:01:00", "其他", "0.1"},
        {"2006-05-25 09:00:00", "2006-05-25 10:00:00", "ADSL", "1"},
    };
    for (const auto& call : calls) {
        ASSERT_TRUE(
            db.ExecuteSql("INSERT INTO diallog (beginTime, endTime, entryName, deviceType, "
                          "IpAddress, BytesIn, BytesOut, fee) VALUES (?, ?, ?, 'PPPoE', "
                          "'10.0.0.2', 1000, 100, ?)",
                          {call[0], call[1], call[2], std::stod(call[3])}));
    }
}

// The ADSL calls of May 2006 (12.5 recorded) under each tariff at the values
// stored, and under a rule file; the log keeps its rules.
TEST(CliCommands, CompareSaysWhatTheCallsWouldHaveCost) {
    ProgramFolderFixture folder;
    RecordCalls(folder);
    folder.SaveSettings({{keys::kFeeType, "1"},
                         {keys::kJishiFee, "6"},
                         {keys::kBaoyueFee, "50"},
                         {keys::kLiuliangFee, "10"}});
    const Finished all =
        Vornik(folder, {"compare", "--all-types", "--month", "2006-05", "--months", "2", "--json"});
    ASSERT_EQ(all.code, 0) << all.err;
    const QJsonObject json = Json(all);
    EXPECT_EQ(json["firstMonth"].toString(), "2006-04");
    const QJsonArray comparisons = json["comparisons"].toArray();
    ASSERT_EQ(comparisons.size(), 4);
    const auto totals = [&comparisons](int type) { return comparisons[type]["totals"]; };
    EXPECT_EQ(comparisons[1]["feeType"].toString(), "jishi");
    EXPECT_EQ(comparisons[1]["months"][1]["calls"].toInt(), 3);
    EXPECT_DOUBLE_EQ(totals(1)["recordedFee"].toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(totals(1)["comparedFee"].toDouble(), 6 + 3 + 1);  // 100 minutes at 0.1
    EXPECT_DOUBLE_EQ(totals(2)["comparedFee"].toDouble(), 100);  // April's and May's first call
    EXPECT_DOUBLE_EQ(totals(3)["difference"].toDouble(), 10 - 12.5);

    WriteFile(folder.Scratch() / "rule.ini", "[Config]\r\nglobal,Fee,FeeType,2\r\n");
    const Finished file =
        Vornik(folder, {"compare", "--rules", (folder.Scratch() / "rule.ini").string(),
                        "--month=2006-05", "--months=1"});
    ASSERT_EQ(file.code, 0) << file.err;
    EXPECT_NE(file.out.find("（包月）"), std::string::npos) << file.out;
    // The file names the tariff only: the stored 50 a month holds, as after an import.
    EXPECT_NE(file.out.find("  100.00     87.50\n"), std::string::npos) << file.out;
    const vornik::ErrorLog log(folder.Scratch() / "test-error.log");
    Dbio db(folder.Root() / "db" / "diallog.db", log);
    db.OpenDatabase();
    EXPECT_EQ(db.GetConfig(keys::kFeeType), "1");
    const Finished missing = Vornik(folder, {"compare", "--rules", "missing.ini"});
    EXPECT_EQ(missing.code, 1);
}

TEST(CliCommands, LogTotalsAndReportsReadTheBillingMonth) {
    ProgramFolderFixture folder;
    RecordCalls(folder);

    const QJsonObject log = Json(Vornik(folder, {"log", "--month", "2006-05", "--json"}));
    EXPECT_EQ(log["entry"].toString(), "ADSL");
    EXPECT_EQ(log["billingMonth"].toString(), "2006-05");
    const QJsonArray calls = log["calls"].toArray();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_TRUE(calls[0]["begin"].toString().startsWith("2006-04-30T10:00:00"));
    EXPECT_EQ(calls[1]["seconds"].toInt(), 1800);
    EXPECT_DOUBLE_EQ(log["totals"]["fee"].toDouble(), 12.5);
    EXPECT_EQ(log["totals"]["seconds"].toInt(), 3600 + 1800 + 600);

    const Finished other = Vornik(folder, {"log", "--month=2006-05", "--csv", "--entry", "其他"});
    EXPECT_EQ(other.code, 0) << other.err;
    EXPECT_NE(other.out.find("2006-05-02 09:00:00"), std::string::npos) << other.out;
    EXPECT_EQ(other.out.find("2006-05-01"), std::string::npos) << other.out;
    const Finished table = Vornik(folder, {"log", "--month", "2006-05"});
    EXPECT_NE(table.out.find("合计：3 次，01:40:00，12.50 元"), std::string::npos) << table.out;

    const QJsonArray days =
        Json(Vornik(folder, {"totals", "--month", "2006-05", "--json"}))["days"].toArray();
    ASSERT_EQ(days.size(), 2);
    EXPECT_EQ(days[0]["date"].toString(), "2006-04-30");
    EXPECT_EQ(days[1]["calls"].toInt(), 2);
    const QJsonArray months =
        Json(Vornik(folder, {"totals", "--months", "--year", "2006", "--json"}))["months"]
            .toArray();
    int callsIn2006 = 0;
    for (const QJsonValue month : months) {
        callsIn2006 += month["calls"].toInt();
        if (month["billingMonth"] == "2006-06") {
            EXPECT_EQ(month["calls"].toInt(), 1);
        }
    }
    EXPECT_EQ(callsIn2006, 4);

    const Finished page = Vornik(folder, {"report", "calls", "--month", "2006-05"});
    ASSERT_EQ(page.code, 0) << page.err;
    const std::filesystem::path written = page.out.substr(0, page.out.find('\n'));
    EXPECT_EQ(written.parent_path(), folder.Root() / "report");
    EXPECT_NE(ReadFile(written).find("<meta charset=\"utf-8\">"), std::string::npos);
    const std::filesystem::path csv = folder.Scratch() / "days.csv";
    const Finished days_csv = Vornik(
        folder, {"report", "days", "--month", "2006-05", "--format", "csv", "-o", csv.string()});
    ASSERT_EQ(days_csv.code, 0) << days_csv.err;
    EXPECT_NE(ReadFile(csv).find("2006-04-30,1,3600,5.00,1000,100"), std::string::npos)
        << ReadFile(csv);
    const QJsonObject year =
        Json(Vornik(folder, {"report", "year", "--year", "2006", "--format", "json", "-o", "-"}));
    EXPECT_EQ(year["totals"]["calls"].toInt(), 4);

    const Finished empty = Vornik(folder, {"report", "calls", "--month", "2006-08"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("本月没有拨号记录。"), std::string::npos) << empty.err;
    const Finished badMonth = Vornik(folder, {"log", "--month", "2006-5"});
    EXPECT_EQ(badMonth.code, 2);
    EXPECT_NE(badMonth.err.find("YYYY-MM"), std::string::npos) << badMonth.err;

    // Without an instance, the status comes from the log.
    const QJsonObject status = Json(Vornik(folder, {"status", "--json"}));
    EXPECT_FALSE(status["running"].toBool());
    EXPECT_FALSE(status["connected"].toBool());
    EXPECT_TRUE(status["call"].isNull());
    EXPECT_EQ(status["entry"].toString(), "ADSL");
    EXPECT_TRUE(status["today"]["seconds"].isDouble());
    EXPECT_TRUE(status["month"]["fee"].isDouble());
    EXPECT_TRUE(status["forecast"]["projectedFee"].isDouble());
    EXPECT_TRUE(status["forecast"]["limits"].isArray());

    // A bill is kept beside the month's recorded fees, which it does not change.
    EXPECT_EQ(Vornik(folder, {"bill", "set", "2006-05", "13"}).code, 0);
    const QJsonObject bill =
        Json(Vornik(folder, {"bill", "show", "--json"}))["bills"][0].toObject();
    EXPECT_EQ(bill["billingMonth"].toString(), "2006-05");
    EXPECT_DOUBLE_EQ(bill["recordedFee"].toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(bill["difference"].toDouble(), 0.5);
    EXPECT_EQ(Vornik(folder, {"bill", "set", "2006-5", "13"}).code, 2);
}

TEST(CliCommands, ReadingCommandsMakeNoProgramFolder) {
    ProgramFolderFixture folder;
    const std::filesystem::path missing = folder.Scratch() / "nowhere";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"log"}, {"totals"}, {"report", "calls"}, {"status"}}) {
        const Finished finished = RunVornik(missing, folder.Scratch(), args);
        EXPECT_EQ(finished.code, 1) << args[0];
        EXPECT_NE(finished.err.find("没有拨号记录"), std::string::npos) << finished.err;
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

bool StatusConnected(const ProgramFolderFixture& folder, bool connected) {
    const Finished status = Vornik(folder, {"status", "--json"});
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(status.out)).object();
    return object["running"].toBool() && object["connected"].toBool() == connected &&
           object["call"].isNull() != connected;
}

TEST(CliCommands, DialAndHangUpDriveARunningHeadlessInstance) {
    ProgramFolderFixture folder;
    folder.PrepareAutoDial(1);
    folder.SaveSettings({{keys::kAutoDial, "0"}});
    const Finished alone = Vornik(folder, {"dial"});
    EXPECT_EQ(alone.code, 1);
    EXPECT_NE(alone.err.find("没有正在运行的 Vornik"), std::string::npos) << alone.err;

    ChildProcess running(VornikExecutable(), folder.Headless({"--json-lines"}), folder.Scratch());
    ASSERT_TRUE(running.WaitForOutput("\"event\":\"entries\"", kBound)) << running.Describe();
    const Finished unknown = Vornik(folder, {"dial", "没有这个连接"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_NE(unknown.err.find("没有这个连接"), std::string::npos) << unknown.err;

    const Finished dialled = Vornik(folder, {"dial", kEntry});
    EXPECT_EQ(dialled.code, 0) << dialled.err;
    EXPECT_TRUE(WaitUntil([&] { return StatusConnected(folder, true); }, kBound)) << running.Out();
    const Finished line = Vornik(folder, {"status"});
    EXPECT_NE(line.out.find("已连接"), std::string::npos) << line.out;

    const Finished hungUp = Vornik(folder, {"hangup"});
    EXPECT_EQ(hungUp.code, 0) << hungUp.err;
    EXPECT_TRUE(WaitUntil([&] { return StatusConnected(folder, false); }, kBound)) << running.Out();
    running.Signal(SIGTERM);
    ASSERT_TRUE(running.WaitForExit(kBound).has_value());
    EXPECT_EQ(folder.CheckedCalls().size(), 1u);
    // --json-lines: every line the instance printed is one JSON object.
    std::istringstream lines(running.Out());
    for (std::string text; std::getline(lines, text);) {
        QJsonParseError error{};
        QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    }
}

}  // namespace
}  // namespace vornik::testing
