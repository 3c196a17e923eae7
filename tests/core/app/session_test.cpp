#include "core/app/session_fixture.h"

namespace vornik {
namespace {

using namespace keys;
using testing::SessionTest;

TEST_F(SessionTest, ACallShorterThanAMinuteTickIsLoggedAtHangUp) {
    DialAndWaitForTheLink();
    EXPECT_EQ(ui_.statusLines[ui_.statusLines.size() - 2], "拨号状态：连接已建立");
    EXPECT_EQ(ui_.Count(Sound::kConnected), 1);
    const std::string begin = session_.Call().callBeginTime;
    Run(30);
    EXPECT_TRUE(LoggedCalls().empty());

    HangUpAndWait();
    const Rows calls = LoggedCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0][0].Text(), begin);
    EXPECT_EQ(calls[0][1].Text(), MomentText(AddSeconds(*ParseMoment(begin), 31)));
    EXPECT_EQ(calls[0][2].Text(), "模拟ADSL");
    EXPECT_GT(calls[0][4].Integer(), 0);
    // Part minute: 0.05 × 31 / 60.
    EXPECT_NEAR(calls[0][5].NumberOr0(), 0.05 * 31 / 60, 1e-9);
    EXPECT_EQ(ui_.Count(Sound::kDisconnect), 1);
    EXPECT_EQ(ui_.iconStates.back(), LinkIcons::kDisconnected);
    EXPECT_EQ(session_.Totals().todaySeconds, 31);
}

TEST_F(SessionTest, ARunningCallIsWrittenEveryMinuteWithItsFeeGrowing) {
    DialAndWaitForTheLink();
    const std::string begin = session_.Call().callBeginTime;
    for (int minute = 1; minute <= 3; ++minute) {
        Run(60);
        session_.MinuteTick();
        const Rows calls = LoggedCalls();
        ASSERT_EQ(calls.size(), 1u) << minute;
        EXPECT_EQ(calls[0][0].Text(), begin);
        EXPECT_EQ(calls[0][1].Text(), MomentText(AddSeconds(*ParseMoment(begin), 60 * minute)));
        EXPECT_NEAR(calls[0][5].NumberOr0(), 0.05 * minute, 1e-9);
        EXPECT_EQ(calls[0][4].Integer(), session_.Call().callBytesIn);
    }
    HangUpAndWait();
    ASSERT_EQ(LoggedCalls().size(), 1u);
    // Three ticks covered three whole minutes; the second after them is charged
    // by the second.
    EXPECT_NEAR(LoggedCalls()[0][5].NumberOr0(), 0.15 + 0.05 / 60, 1e-9);
}

TEST_F(SessionTest, TheEventAndTheWatchOpenAndCloseExactlyOneCall) {
    // The event first, then the watch.
    DialAndWaitForTheLink();
    session_.MainTick();
    session_.OnStateChanged(dial_state::kConnected);
    EXPECT_EQ(ui_.Count(Sound::kConnected), 1);

    // The watch first: the link drops and the tick sees it before the event.
    dialer_.ScriptLinkDrop();
    session_.MainTick();
    EXPECT_FALSE(session_.Call().isConnected);
    dialer_.Poll();
    session_.OnStateChanged(dial_state::kDisconnected);
    EXPECT_EQ(ui_.Count(Sound::kDisconnect), 1);
    EXPECT_EQ(LoggedCalls().size(), 1u);
    EXPECT_EQ(ui_.LastStatus(), "拨号状态：连接已断开");

    // A link that comes up without any event is opened by the watch alone.
    dialer_.SetEvents(this, {});
    dialer_.Connect();
    for (int i = 0; i < 30 && !dialer_.IsConnected(); ++i) {
        clock_.Advance(1);
        dialer_.Poll();
    }
    ASSERT_TRUE(dialer_.IsConnected());
    session_.MainTick();
    session_.OnStateChanged(dial_state::kConnected);
    EXPECT_EQ(ui_.Count(Sound::kConnected), 2);
}

TEST_F(SessionTest, ADialErrorHangsUpShowsTheMessageAndLogsNothing) {
    dialer_.ScriptDialFailure("用户名或密码错误");
    session_.Dial();
    Run(15);
    EXPECT_EQ(ui_.LastStatus(), "拨号状态：用户名或密码错误");
    EXPECT_FALSE(session_.Call().isConnected);
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_TRUE(LoggedCalls().empty());
    EXPECT_EQ(ui_.Count(Sound::kConnected), 0);
}

TEST_F(SessionTest, ALinkThatDropsIsClosedWithItsLastSecond) {
    DialAndWaitForTheLink();
    Run(90);
    session_.MinuteTick();
    Run(20);
    dialer_.ScriptLinkDrop();
    Run(1);
    EXPECT_FALSE(session_.Call().isConnected);
    const Rows calls = LoggedCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(SecondsBetween(*ParseMoment(calls[0][0].Text()), *ParseMoment(calls[0][1].Text())),
              111);
    EXPECT_EQ(session_.Call().callSeconds, 111);
}

TEST_F(SessionTest, AClockCorrectionDuringACallChangesNeitherItsLengthNorItsSpeed) {
    DialAndWaitForTheLink();
    Run(10);
    const double speed = session_.Speed().NewestDown();
    clock_.StepWall(3600);
    Run(10);
    EXPECT_EQ(session_.Call().callSeconds, 20);
    EXPECT_NEAR(session_.Speed().NewestDown(), speed, speed * 0.01);
    HangUpAndWait();
    const Rows calls = LoggedCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(SecondsBetween(*ParseMoment(calls[0][0].Text()), *ParseMoment(calls[0][1].Text())),
              21);
}

TEST_F(SessionTest, TheFlatFeeIsChargedToTheFirstCallOfAnEntryInAPeriod) {
    ASSERT_TRUE(db_.SaveConfig(kFeeType, "0"));
    ASSERT_TRUE(db_.SaveConfig(kBaoshiFee, "30"));
    ASSERT_TRUE(db_.SaveConfig(kBaoshiTime, "10"));
    session_.ReloadRules();

    DialAndWaitForTheLink();
    EXPECT_EQ(session_.Fee().callFee, 30);
    HangUpAndWait();
    Run(5);
    DialAndWaitForTheLink();
    EXPECT_EQ(session_.Fee().callFee, 0);
    HangUpAndWait();

    session_.ChangeEntry("模拟GPRS");
    DialAndWaitForTheLink();
    EXPECT_EQ(session_.Fee().callFee, 30);
    HangUpAndWait();
}

TEST_F(SessionTest, ACallAcrossTheBillingBoundaryCountsForNeitherMonth) {
    clock_.Set({2006, 5, 20, 23, 50, 0});
    session_.SelectCurrentBillingMonth();
    DialAndWaitForTheLink();
    Run(20 * 60);
    HangUpAndWait();
    ASSERT_EQ(LoggedCalls().size(), 1u);
    EXPECT_EQ(session_.Totals().billingMonthSeconds, 0);
    EXPECT_EQ(session_.Totals().todaySeconds, 0);
    session_.ShowBillingMonth({2006, 5});
    EXPECT_EQ(session_.Totals().shownMonthSeconds, 0);
    EXPECT_TRUE(session_.ShownMonthRows().empty());
}

TEST_F(SessionTest, EntriesCredentialsAndTheLastEntry) {
    EXPECT_EQ(ui_.entryList.size(), 2u);
    session_.ChangeEntry("模拟GPRS");
    EXPECT_EQ(db_.GetConfig(kLastEntry), "模拟GPRS");
    session_.StoreUserName("alice");
    session_.StorePassword("s3cret'");
    session_.ChangeEntry("模拟ADSL");
    session_.ChangeEntry("模拟GPRS");
    EXPECT_EQ(ui_.shownUserName, "alice");
    EXPECT_EQ(ui_.shownPassword, "s3cret'");

    // A box that was not edited since it was stored is not stored again.
    session_.StoreUserName("alice");
    session_.StoreUserName("bob");
    session_.ChangeEntry("模拟GPRS");
    EXPECT_EQ(ui_.shownUserName, "alice");

    // An unknown entry selects nothing, and dialling then does nothing.
    session_.ChangeEntry("no such entry");
    EXPECT_EQ(db_.GetConfig(kLastEntry), "模拟GPRS");
    session_.Dial();
    Run(15);
    EXPECT_FALSE(dialer_.IsConnected());

    EXPECT_EQ(session_.CreateEntry(), 0);
    EXPECT_EQ(ui_.entryList.size(), 3u);
}

TEST_F(SessionTest, AnAddressThatComesLateIsTakenAtHangUp) {
    dialer_.ScriptAddressAfter(120);
    DialAndWaitForTheLink();
    EXPECT_EQ(session_.Call().callIpAddress, kUnknownAddress);
    session_.MinuteTick();
    EXPECT_EQ(LoggedCalls()[0][3].Text(), kUnknownAddress);
    Run(150);
    session_.MinuteTick();
    HangUpAndWait();
    // The row keeps the address it was inserted with; the call shows the new one.
    EXPECT_EQ(LoggedCalls()[0][3].Text(), kUnknownAddress);
    EXPECT_NE(session_.Call().callIpAddress, kUnknownAddress);
}

}  // namespace
}  // namespace vornik
