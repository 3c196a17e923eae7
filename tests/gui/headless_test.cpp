// The session without windows: printed status, the idle question answered with
// the hang-up, and the call written on the way out.
#include "app/headless.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <sstream>
#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "dialer/simulated_dialer.h"
#include "support/fake_clock.h"
#include "support/fake_probe.h"
#include "support/temp_folder.h"

namespace vornik::gui {
namespace {

using namespace keys;

TEST(HeadlessShellTest, DialsPrintsAnswersTheIdleQuestionAndKeepsTheCall) {
    testing::TempFolder folder;
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    db.OpenDatabase();
    for (const auto& [key, value] : {std::pair{kAutoDial, "1"},
                                     {kIdleTimeMax, "20"},
                                     {kIdleTimeOutAction, "1"},
                                     {kJishiFee, "6"},
                                     {kChkEachMaxTime, "1"},
                                     {kEachMaxTime, "0.005"},
                                     {kMessageAlert, "1"}}) {
        ASSERT_TRUE(db.SaveConfig(key, value));
    }
    testing::FakeClock clock({2006, 5, 10, 9, 0, 0});
    SimulatedDialer dialer(clock, folder / "simulated-phonebook.txt");
    testing::FakeProbe probe;
    std::ostringstream out;
    HeadlessShell shell({db, dialer, probe, clock, out, QStringLiteral("模拟拨号")});
    shell.Start();
    EXPECT_EQ(dialer.EntryName(), "模拟ADSL");  // no last entry: the first one
    // The first status comes with the start, not a tick later.
    EXPECT_NE(
        out.str().find("\r09:00:00 模拟ADSL 未连接 | 今日 00:00:00 0.00元 | 本月 00:00:00 0.00元"),
        std::string::npos)
        << out.str();
    auto tick = [&](int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.Advance(1);
            dialer.Poll();
            shell.CoreSession().MainTick();
        }
    };
    tick(10);
    ASSERT_TRUE(shell.CoreSession().Call().isConnected);
    EXPECT_NE(out.str().find(" 模拟ADSL 已连接 00:00:0"), std::string::npos);
    EXPECT_NE(out.str().find("拨号状态：连接已建立"), std::string::npos);

    // An idle link: the question is answered with the hang-up.
    dialer.ScriptCounters(dialer.BytesReceived(), dialer.BytesSent());
    tick(40);
    EXPECT_NE(out.str().find("网络空闲超时，断开网络吗？ -> 确定"), std::string::npos);
    EXPECT_FALSE(shell.CoreSession().Call().isConnected);
    EXPECT_EQ(db.QueryValue("SELECT count(*) FROM diallog")->Integer(), 1);
    // The per-call cap was reached after 18 seconds: its alert repeated every
    // second, but was printed once.
    const auto printed = [&out](const std::string& text) {
        std::size_t count = 0;
        for (auto at = out.str().find(text); at != std::string::npos;
             at = out.str().find(text, at + 1)) {
            ++count;
        }
        return count;
    };
    EXPECT_EQ(printed("消息: 超过每次最大使用时限"), 1u);

    // A call still up on the way out is written once more before the log closes.
    dialer.ScriptTraffic({});
    shell.CoreSession().Dial();
    tick(70);
    ASSERT_TRUE(shell.CoreSession().Call().isConnected);
    int exitCode = -1;
    QObject::connect(&shell, &HeadlessShell::exited, [&exitCode](int code) { exitCode = code; });
    shell.ExitApp();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(printed("Vornik: 已退出，拨号记录已保存"), 1u);
    EXPECT_EQ(printed("消息: 超过每次最大使用时限"), 2u);
    Dbio reopened(folder / "db/diallog.db", log);
    const Rows calls =
        reopened.QueryRows("SELECT beginTime, endTime FROM diallog ORDER BY beginTime");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_GE(SecondsBetween(*ParseMoment(calls[1][0].Text()), *ParseMoment(calls[1][1].Text())),
              60);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// With the real timers and the output going into a file: the dial's states
// arrive one by one as each falls due, the link comes up, a dropped link is
// reported, and nothing else is printed between the changes.
TEST(HeadlessShellTest, IntoAFileTheStatesComeWhenDueAndNoStatusBlockBetween) {
    testing::TempFolder folder;
    testing::WriteFile(folder / "simulated-phonebook.txt", "[一秒]\nconnect_delay=1\n");
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    db.OpenDatabase();
    ASSERT_TRUE(db.SaveConfig(kAutoDial, "1"));
    SystemClock clock;
    SimulatedDialer dialer(clock, folder / "simulated-phonebook.txt");
    testing::FakeProbe probe;
    std::ostringstream out;
    HeadlessShell shell(
        {db, dialer, probe, clock, out, QStringLiteral("模拟拨号"), HeadlessOutput::kLines});
    const auto printed = [&out](const std::string& text) {
        return out.str().find(text) != std::string::npos;
    };
    shell.Start();
    // A second at least: a terminal would have been shown the status block by now.
    ASSERT_TRUE(QTest::qWaitFor([&] { return printed("拨号状态：连接已建立"); }, 20'000))
        << out.str();
    dialer.ScriptLinkDrop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return printed("拨号状态：连接已断开"); }, 20'000))
        << out.str();
    shell.ExitApp();
    std::vector<std::string> lines = Lines(out.str());
    // The first status, at the end of the start.
    ASSERT_GT(lines.size(), 2u);
    EXPECT_TRUE(
        QRegularExpression(
            QStringLiteral("^\\d\\d:\\d\\d:\\d\\d 一秒 未连接 \\| 今日 00:00:00 0.00元 \\| 本月 "
                           "00:00:00 0.00元$"))
            .match(QString::fromStdString(lines[2]))
            .hasMatch())
        << lines[2];
    lines.erase(lines.begin() + 2);
    // Whether a second of the link's first silence passed before the drop depends
    // on the machine's pace.
    std::erase(lines, std::string("拨号状态：网络空闲...."));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Vornik 模拟拨号", "连接: [一秒]", "拨号状态：正在打开端口",
                         "拨号状态：端口已打开", "拨号状态：正在打开设备", "拨号状态：设备已打开",
                         "拨号状态：所有设备都打开，连接建立", "拨号状态：用户验证开始",
                         "拨号状态：通过用户验证", "拨号状态：协议通过", "拨号状态：登陆网络",
                         "拨号状态：连接已建立", "拨号状态：连接已断开", "Vornik: 已退出"}));
}

// For programs: every line is one JSON object, an event or the minute's status.
TEST(HeadlessShellTest, JsonLinesCarryEventsAndTheStatusOfEachMinute) {
    testing::TempFolder folder;
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    db.OpenDatabase();
    ASSERT_TRUE(db.SaveConfig(kAutoDial, "1"));
    ASSERT_TRUE(db.SaveConfig(kJishiFee, "6"));
    ASSERT_TRUE(db.SaveConfig(kFeeType, "1"));
    testing::FakeClock clock({2006, 5, 10, 9, 0, 0});
    SimulatedDialer dialer(clock, folder / "simulated-phonebook.txt");
    testing::FakeProbe probe;
    std::ostringstream out;
    HeadlessShell shell(
        {db, dialer, probe, clock, out, QStringLiteral("模拟拨号"), HeadlessOutput::kJsonLines});
    shell.Start();
    for (int i = 0; i < 75; ++i) {
        clock.Advance(1);
        dialer.Poll();
        shell.CoreSession().MainTick();
        if (clock.Now().second == 0) {
            shell.MinuteTick();
        }
    }
    shell.ExitApp();
    QStringList events;
    QJsonObject lastStatus;
    for (const std::string& line : Lines(out.str())) {
        QJsonParseError error{};
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        const QJsonObject object = document.object();
        events.push_back(object[QStringLiteral("event")].toString());
        if (events.back() == QStringLiteral("status")) {
            lastStatus = object;
        }
    }
    ASSERT_GE(events.size(), 6);
    EXPECT_EQ(events.front(), QStringLiteral("start"));
    EXPECT_EQ(events[1], QStringLiteral("entries"));
    EXPECT_EQ(events[2], QStringLiteral("status"));  // at the end of the start
    EXPECT_EQ(events.back(), QStringLiteral("exit"));
    EXPECT_EQ(events.count(QStringLiteral("status")), 2);  // and at 09:01:00
    EXPECT_TRUE(events.contains(QStringLiteral("state")));
    EXPECT_EQ(lastStatus[QStringLiteral("time")].toString(),
              QStringLiteral("2006-05-10T09:01:00") +
                  QString::fromStdString(IsoLocalText(clock.Now()).substr(19)));
    EXPECT_TRUE(lastStatus[QStringLiteral("connected")].toBool());
    const QJsonObject call = lastStatus[QStringLiteral("call")].toObject();
    EXPECT_GT(call[QStringLiteral("seconds")].toInt(), 50);
    EXPECT_GT(call[QStringLiteral("bytesIn")].toDouble(), 0);
    EXPECT_DOUBLE_EQ(
        lastStatus[QStringLiteral("today")].toObject()[QStringLiteral("fee")].toDouble(),
        call[QStringLiteral("fee")].toDouble());
}

}  // namespace
}  // namespace vornik::gui
