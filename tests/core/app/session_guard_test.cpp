// Limits, idle spells, the schedule and the link check, through the session.
#include <limits>

#include "app/live_status.h"
#include "core/app/session_fixture.h"

namespace vornik {
namespace {

using namespace keys;
using testing::SessionTest;

TEST_F(SessionTest, TheMonthlyCapIsReachedAtItsHoursAndNotBefore) {
    Configure({{kChkMonthlyMaxTime, "1"},
               {kMonthlyMaxTime, "10"},
               {kMessageAlert, "1"},
               {kSoundAlert, "1"}});
    LogEarlierCall("2006-05-01 08:00:00", 35000);
    ASSERT_EQ(session_.Totals().billingMonthSeconds, 35000);
    DialAndWaitForTheLink();
    while (session_.Call().callSeconds < 999) {
        Run(1);
    }
    EXPECT_TRUE(ui_.messages.empty());
    Run(1);  // 35000 + 1000 = 36000 seconds: reached at equality
    ASSERT_EQ(ui_.messages, std::vector<std::string>{"超过每月最大使用时限"});
    EXPECT_EQ(ui_.Count(Sound::kTimeout), 1);
    EXPECT_TRUE(session_.Call().isConnected);  // the hang-up alert is off

    // The alert repeats every second, but one message is open at a time.
    Run(3);
    EXPECT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.Count(Sound::kTimeout), 4);
    ASSERT_TRUE(ui_.CloseMessage());
    Run(1);
    EXPECT_EQ(ui_.messages.size(), 2u);

    // Announced once while the link stays up, and again for a dial it refuses.
    const std::vector<std::string> announced{"超过每月最大使用时限"};
    EXPECT_EQ(ui_.Notices(NoticeKind::kLimit), announced);
    HangUpAndWait();
    session_.Dial();
    EXPECT_EQ(ui_.Notices(NoticeKind::kLimit).size(), 2u);
}

TEST_F(SessionTest, TheVolumeCapIsReachedOnlyWhenExceeded) {
    Configure({{kChkMonthlyMaxVolume, "1"},
               {kMonthlyMaxVolume, "100"},
               {kDisconnectAlert, "1"},
               {kSoundAlert, "1"},
               {kCloseSound, "1"}});
    DialAndWaitForTheLink();
    dialer_.ScriptCounters(104857600 - 4096, 4096);  // exactly 100 MB
    Run(3);
    EXPECT_TRUE(session_.Call().isConnected);
    dialer_.ScriptCounters(104867600 - 4096, 4096);
    Run(2);
    EXPECT_FALSE(session_.Call().isConnected);
    EXPECT_TRUE(Showed("连接断开"));
    EXPECT_EQ(LoggedCalls()[0][4].Integer(), 104867600 - 4096);
    // Prompt sounds are off: the sound alert stays silent, the hang-up still runs.
    EXPECT_EQ(ui_.Count(Sound::kVolumeOut), 0);
    EXPECT_EQ(ui_.Count(Sound::kDisconnect), 0);
}

TEST_F(SessionTest, ACallFoundWithNearlyAll64BitsCountedIsOverTheVolumeCap) {
    Configure({{kChkMonthlyMaxVolume, "1"}, {kMonthlyMaxVolume, "100"}, {kMessageAlert, "1"}});
    DialAndWaitForTheLink();
    constexpr std::int64_t kNearlyAll = std::numeric_limits<std::int64_t>::max() - 10;
    dialer_.ScriptCounters(kNearlyAll, kNearlyAll);
    testing::RecordingUi laterUi;
    Session later(db_, dialer_, clock_, laterUi, probe_);
    later.StartUp();
    ASSERT_TRUE(later.Call().isConnected);
    EXPECT_EQ(later.Call().callBytesIn, kNearlyAll);
    EXPECT_EQ(laterUi.messages, std::vector<std::string>{"超过设定每月最大流量"});
}

TEST_F(SessionTest, ACapOfZeroHoursRefusesEveryDial) {
    Configure({{kChkDailyMaxTime, "1"}, {kMessageAlert, "1"}, {kDisconnectAlert, "1"}});
    session_.Dial();
    Run(10);
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_EQ(ui_.messages, std::vector<std::string>{"超过每天最大使用时限"});
    ASSERT_TRUE(ui_.CloseMessage());
    session_.Dial();
    EXPECT_EQ(ui_.messages.size(), 2u);
    EXPECT_FALSE(dialer_.IsConnected());
}

TEST_F(SessionTest, AnIdleSpellThatEndsWithinFiveSecondsMakesNoSound) {
    DialAndWaitForTheLink();
    Run(10);
    FreezeTraffic();
    RunUntilIdle();
    EXPECT_TRUE(Showed("网络空闲...."));
    EXPECT_EQ(ui_.iconStates.back(), LinkIcons::kIdle);
    Run(3);
    dialer_.ScriptTraffic({});
    Run(1);
    EXPECT_FALSE(session_.IsIdle());
    EXPECT_EQ(ui_.LastStatus(), "拨号状态：网络接通");
    EXPECT_EQ(ui_.iconStates.back(), LinkIcons::kConnected);
    EXPECT_EQ(ui_.Count(Sound::kIdle), 0);

    FreezeTraffic();
    RunUntilIdle();
    Run(5);
    EXPECT_EQ(ui_.Count(Sound::kIdle), 1);
    Run(5);
    EXPECT_EQ(ui_.Count(Sound::kIdle), 1);
}

TEST_F(SessionTest, AnIdleLinkIsHungUpAfterIdleTimeMax) {
    Configure({{kIdleTimeOutAction, "0"}, {kIdleTimeMax, "60"}});
    DialAndWaitForTheLink();
    Run(10);
    FreezeTraffic();
    RunUntilIdle();
    Run(59);
    EXPECT_TRUE(session_.Call().isConnected);
    Run(1);
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_FALSE(session_.IsIdle());
    EXPECT_TRUE(Showed("空闲超时，网络断开。"));
}

TEST_F(SessionTest, TheIdleQuestionComesBackAfterCancelAndOkHangsUp) {
    Configure({{kIdleTimeOutAction, "1"}, {kIdleTimeMax, "30"}});
    DialAndWaitForTheLink();
    Run(10);
    FreezeTraffic();
    RunUntilIdle();
    Run(30);
    ASSERT_EQ(ui_.questions, std::vector<std::string>{"网络空闲超时，断开网络吗？"});
    Run(10);  // the question stays open; no second one
    EXPECT_EQ(ui_.questions.size(), 1u);

    ASSERT_TRUE(ui_.Answer(false));
    Run(29);
    EXPECT_EQ(ui_.questions.size(), 1u);
    EXPECT_TRUE(dialer_.IsConnected());
    Run(1);
    ASSERT_EQ(ui_.questions.size(), 2u);
    ASSERT_TRUE(ui_.Answer(true));
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_TRUE(Showed("空闲超时，用户中断。"));

    // An answer that comes after its call ended does not touch the next call.
    DialAndWaitForTheLink();
    RunUntilIdle();
    Run(30);
    ASSERT_EQ(ui_.questions.size(), 3u);
    dialer_.ScriptLinkDrop();
    Run(1);
    DialAndWaitForTheLink();
    ASSERT_TRUE(ui_.Answer(true));
    EXPECT_TRUE(dialer_.IsConnected());
}

TEST_F(SessionTest, TheKeepAliveSendsOneEchoEachIdleSecondToTheCheckHost) {
    Configure({{kIdleTimeOutAction, "2"}, {kIdleTimeMax, "10"}, {kCheckIp, "127.0.0.1"}});
    DialAndWaitForTheLink();
    Run(10);
    FreezeTraffic();
    RunUntilIdle();
    Run(9);
    EXPECT_TRUE(probe_.keepAliveHosts.empty());
    Run(3);
    EXPECT_EQ(probe_.keepAliveHosts, std::vector<std::string>(3, "127.0.0.1"));
    dialer_.ScriptTraffic({});
    Run(2);
    EXPECT_EQ(probe_.keepAliveHosts.size(), 3u);
    EXPECT_TRUE(dialer_.IsConnected());
}

TEST_F(SessionTest, TheTimedDialFiresOnceInItsMinute) {
    Configure({{kAutoDialTime, "1"}, {kAutoDialTimeHour, "9"}, {kAutoDialTimeMinute, "3"}});
    Run(120);  // 09:02
    session_.MinuteTick();
    Run(15);
    EXPECT_FALSE(dialer_.IsConnected());
    Run(45);  // 09:03
    session_.MinuteTick();
    Run(10);
    ASSERT_TRUE(session_.Call().isConnected);
    HangUpAndWait();
    session_.MinuteTick();  // still 09:03
    Run(10);
    EXPECT_FALSE(dialer_.IsConnected());

    // An hour written with a leading zero never matches.
    Configure({{kAutoDialTimeHour, "09"}, {kAutoDialTimeMinute, "5"}});
    Run(60);
    session_.MinuteTick();
    Run(10);
    EXPECT_FALSE(dialer_.IsConnected());
}

TEST_F(SessionTest, TheTimedHangUpEndsARunningCallAndItsIdleSpell) {
    Configure({{kAutoDisconnectTime, "1"},
               {kAutoDisconnectTimeHour, "9"},
               {kAutoDisconnectTimeMinute, "1"},
               {kIdleTimeOutAction, "1"},
               {kIdleTimeMax, "60"}});
    DialAndWaitForTheLink();
    Run(5);
    FreezeTraffic();
    RunUntilIdle();
    while (clock_.Now().minute < 1) {
        Run(1);
    }
    session_.MinuteTick();
    Run(1);
    EXPECT_FALSE(session_.Call().isConnected);
    EXPECT_FALSE(session_.IsIdle());
    ASSERT_EQ(LoggedCalls().size(), 1u);

    // The next call on the quiet line waits its own idleTimeMax.
    DialAndWaitForTheLink();
    Run(30);
    EXPECT_TRUE(session_.IsIdle());
    EXPECT_TRUE(ui_.questions.empty());
    Run(40);
    EXPECT_EQ(ui_.questions.size(), 1u);
}

TEST_F(SessionTest, TheLinkCheckRedialsADeadLinkAndHangsUpABrokenOne) {
    Configure({{kAutoReDial, "1"}});
    Run(60);  // 09:01: odd minutes do not check
    session_.MinuteTick();
    EXPECT_FALSE(Showed("检查GPRS/ADSL链路"));

    Run(60);  // 09:02
    session_.MinuteTick();
    EXPECT_TRUE(Showed("检查GPRS/ADSL链路"));
    EXPECT_TRUE(Showed("连接已经断开，重新建立连接。"));
    Run(10);
    ASSERT_TRUE(session_.Call().isConnected);

    // No host to probe: nothing can show the link broken, so it is left up.
    Run(110);  // 09:04
    session_.MinuteTick();
    EXPECT_TRUE(probe_.pingedHosts.empty());
    EXPECT_EQ(ui_.LastStatus(), "拨号状态：GPRS/ADSL连接正常");
    EXPECT_TRUE(dialer_.IsConnected());

    Configure({{kCheckIp, "127.0.0.1"}});
    Run(120);  // 09:06
    session_.MinuteTick();
    ASSERT_EQ(probe_.pingedHosts, std::vector<std::string>{"127.0.0.1"});
    ASSERT_TRUE(probe_.Answer(PingOutcome::kUp));
    EXPECT_EQ(ui_.LastStatus(), "拨号状态：GPRS/ADSL连接正常");

    Run(120);  // 09:08
    session_.MinuteTick();
    ASSERT_TRUE(probe_.Answer(PingOutcome::kNoReply));
    EXPECT_TRUE(Showed("GPRS/ADSL连接已经断开....."));
    EXPECT_FALSE(dialer_.IsConnected());
    Run(1);
    EXPECT_FALSE(session_.Call().isConnected);
    // A link found well is told only once after a check found it down.
    EXPECT_EQ(ui_.Notices(NoticeKind::kLinkCheck),
              (std::vector<std::string>{"连接已经断开，重新建立连接。", "GPRS/ADSL连接正常",
                                        "GPRS/ADSL连接已经断开....."}));
}

TEST_F(SessionTest, TheSecondTickNeverReadsTheLogEvenWhileAlerting) {
    Configure({{kChkEachMaxTime, "1"},
               {kEachMaxTime, "0.001"},
               {kSoundAlert, "1"},
               {kIdleTimeOutAction, "2"},
               {kIdleTimeMax, "5"},
               {kCheckIp, "127.0.0.1"}});
    DialAndWaitForTheLink();
    FreezeTraffic();
    db_.CloseDatabase();  // a statement now would open the log again
    Run(30);
    EXPECT_FALSE(db_.IsOpen());
    EXPECT_GT(ui_.Count(Sound::kTimeout), 20);
    EXPECT_FALSE(probe_.keepAliveHosts.empty());
}

// The billing month of 2006-05-10 began on Friday 21 April; both calls fell on
// Tuesdays, so the weekday pace alone reaches 10 hours on Monday 15 May.
TEST_F(SessionTest, TheForecastTellsOnceAMonthThatThePaceWillReachALimit) {
    Configure({{kChkMonthlyMaxTime, "1"}, {kMonthlyMaxTime, "10"}});
    LogEarlierCall("2006-04-25 20:00:00", 4 * 3600);
    EXPECT_TRUE(ui_.shownNotices.empty());
    LogEarlierCall("2006-05-09 20:00:00", 4 * 3600);
    EXPECT_EQ(ui_.shownNotices,
              std::vector<std::string>{"照目前的用量，每月上网时限将于 5月15日 达到。"});
    // The desktop tells it as a notification too.
    ASSERT_FALSE(ui_.notices.empty());
    EXPECT_EQ(ui_.notices.back().kind, NoticeKind::kForecast);
    EXPECT_EQ(ui_.notices.back().summary, ui_.shownNotices.front());

    session_.MinuteTick();
    session_.ReloadRules();
    EXPECT_EQ(ui_.shownNotices.size(), 1U);
    EXPECT_EQ(db_.GetConfig(kForecastWarned), "2006-05:1");
    JsonWriter json(0);
    json.BeginObject();
    WriteLiveStatus(json, session_.Figures(), clock_.Now());
    json.EndObject();
    EXPECT_NE(json.Text().find(R"("limits":[{"kind":"monthlyTime","limit":36000,"passed":false,)"
                               R"("reachedOn":"2006-05-15","allowancePerDay":)"),
              std::string::npos)
        << json.Text();
}

}  // namespace
}  // namespace vornik
