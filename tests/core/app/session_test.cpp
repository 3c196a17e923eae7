#include "core/app/session_fixture.h"
#include "metering/pricing.h"
#include "settings/options.h"

namespace vornik {
namespace {

using namespace keys;
using testing::RecordingUi;
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
    const double speed = ui_.downSpeed;
    clock_.StepWall(3600);
    Run(10);
    EXPECT_EQ(session_.Call().callSeconds, 20);
    EXPECT_NEAR(ui_.downSpeed, speed, speed * 0.01);
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

TEST_F(SessionTest, SavedOptionsTakeHoldAtOnceAndOfARunningCallFromItsNextMinute) {
    LogEarlierCall("2006-05-05 08:00:00", 600);  // in the billing month from 21 April
    ASSERT_EQ(session_.Totals().billingMonthSeconds, 600);
    Options options = LoadOptions(session_.Settings());
    options.firstFeeDay = "8";  // the billing month now begins after that call
    ASSERT_TRUE(SaveOptions(session_.Settings(), options).Ok());
    session_.ReloadRules();
    EXPECT_EQ(session_.Totals().billingMonthSeconds, 0);

    DialAndWaitForTheLink();
    Run(60);
    session_.MinuteTick();
    EXPECT_NEAR(session_.Fee().callFee, 0.05, 1e-9);  // 3 an hour
    options.jishiFee = "12";                          // 0.2 a minute
    options.eachMaxTimeOn = true;
    options.eachMaxTime = "0.05";  // three minutes
    options.disconnectAlert = true;
    ASSERT_TRUE(SaveOptions(session_.Settings(), options).Ok());
    session_.ReloadRules();
    Run(60);
    session_.MinuteTick();
    EXPECT_NEAR(session_.Fee().callFee, 0.25, 1e-9);
    EXPECT_TRUE(session_.Call().isConnected);
    Run(61);
    EXPECT_FALSE(session_.Call().isConnected);
}

TEST_F(SessionTest, ARefusedTariffIsShownOnceAndTheCallChargedAsBefore) {
    Configure({{kFeeType, "1"}, {kJishiFee, "-60"}, {kBaoyueFee, "-1"}});
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_NE(ui_.messages[0].find("计时费用"), std::string::npos) << ui_.messages[0];
    EXPECT_EQ(ui_.messages[0].find("包月"), std::string::npos) << ui_.messages[0];
    EXPECT_TRUE(ui_.CloseMessage());

    DialAndWaitForTheLink();
    Run(60);
    session_.MinuteTick();
    EXPECT_NEAR(session_.Fee().callFee, 0.05, 1e-9);  // 3 an hour, as loaded at start
    EXPECT_EQ(ui_.messages.size(), 1u);
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

    // An unknown entry selects nothing, and dialling then says what to do.
    session_.ChangeEntry("no such entry");
    EXPECT_EQ(db_.GetConfig(kLastEntry), "模拟GPRS");
    EXPECT_EQ(ui_.entryText, "");
    session_.Dial();
    Run(15);
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_EQ(ui_.messages,
              std::vector<std::string>{"没有选择连接：请先在连接列表中选择要拨号的连接。"});

    // A new entry takes the lowest free number and is selected at once.
    EXPECT_EQ(session_.CreateEntry(), 0);
    EXPECT_EQ(ui_.entryList.size(), 3u);
    EXPECT_EQ(dialer_.EntryName(), "模拟连接 1");
    EXPECT_EQ(ui_.entryText, "模拟连接 1");
}

TEST_F(SessionTest, TheEntryBoxAlwaysShowsTheEntryTheDialerHolds) {
    const auto book = folder_ / "simulated-phonebook.txt";
    session_.ChangeEntry("模拟GPRS");
    // An entry added by hand leaves the selection where it was.
    testing::WriteFile(book, testing::ReadFile(book) + "\n[手写]\nuser=hand\n");
    dialer_.ReloadPhoneBook();
    EXPECT_EQ(ui_.entryList.size(), 3u);
    EXPECT_EQ(dialer_.EntryName(), "模拟GPRS");
    EXPECT_EQ(ui_.entryText, "模拟GPRS");

    // The selected entry is removed: the first one is selected, box and dialer alike.
    testing::WriteFile(book, "[手写]\nuser=hand\n[模拟ADSL]\n");
    dialer_.ReloadPhoneBook();
    EXPECT_EQ(dialer_.EntryName(), "手写");
    EXPECT_EQ(ui_.entryText, "手写");
    EXPECT_EQ(ui_.shownUserName, "hand");
    EXPECT_TRUE(ui_.menuStates.dialEnabled);
}

TEST_F(SessionTest, ALinkAlreadyUpAtStartIsACallWithAllItsBytes) {
    DialAndWaitForTheLink();
    Run(30);
    {
        RecordingUi laterUi;
        Session later(db_, dialer_, clock_, laterUi, probe_);
        later.StartUp();
        ASSERT_TRUE(later.Call().isConnected);
        EXPECT_EQ(later.Call().callBytesIn, dialer_.BytesReceived());
        for (int i = 0; i < 5; ++i) {
            clock_.Advance(1);
            dialer_.Poll();
            later.MainTick();
        }
        EXPECT_EQ(later.Call().callSeconds, 5);
        EXPECT_EQ(later.Call().callBytesIn, dialer_.BytesReceived());
        EXPECT_EQ(later.Call().callBytesOut, dialer_.BytesSent());
    }
    // The dialer outlived that session: its events must not reach it any more.
    dialer_.ScriptLinkDrop();
    dialer_.Poll();
    session_.MainTick();
    EXPECT_FALSE(session_.Call().isConnected);
}

TEST_F(SessionTest, LeavingTheProgramClosesTheCallAsAHangUpWould) {
    DialAndWaitForTheLink();
    const std::string begin = session_.Call().callBeginTime;
    Run(60);
    session_.MinuteTick();
    Run(40);
    const Result<bool> saved = session_.CloseForExit();
    ASSERT_TRUE(saved.Ok());
    EXPECT_TRUE(saved.Value());
    EXPECT_FALSE(db_.IsOpen());
    const Rows calls = LoggedCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0][1].Text(), MomentText(AddSeconds(*ParseMoment(begin), 100)));
    // One ticked minute and the 40 seconds after it.
    EXPECT_NEAR(calls[0][5].NumberOr0(), 0.05 + 0.05 * 40 / 60, 1e-9);
}

TEST_F(SessionTest, AFailedWriteShowsAtOnceIsRetriedAndLeavingSaysWhetherItWasSaved) {
    const auto refuseWrites = [this](bool refuse) {
        ASSERT_TRUE(db_.ExecuteSql(refuse ? "CREATE TRIGGER full BEFORE INSERT ON diallog "
                                            "BEGIN SELECT RAISE(ABORT, 'disk is full'); END"
                                          : "DROP TRIGGER full"));
    };
    const std::string failed = "拨号状态：拨号记录写入失败（disk is full），稍后重试";
    refuseWrites(true);
    DialAndWaitForTheLink();
    Run(60);
    session_.MinuteTick();
    EXPECT_EQ(ui_.LastStatus(), failed);
    ASSERT_EQ(ui_.messages.size(), 1u);
    HangUpAndWait();
    Run(10);
    EXPECT_EQ(ui_.LastStatus(), failed);
    EXPECT_EQ(ui_.messages.size(), 1u);  // said once, not every retry
    EXPECT_TRUE(LoggedCalls().empty());

    refuseWrites(false);
    Run(10);
    EXPECT_EQ(ui_.LastStatus(), "拨号状态：拨号记录已重新写入");
    ASSERT_EQ(LoggedCalls().size(), 1u);

    // A call that cannot be written by the time the program leaves is named.
    refuseWrites(true);
    DialAndWaitForTheLink();
    Run(5);
    const Result<bool> saved = session_.CloseForExit();
    EXPECT_FALSE(saved.Ok());
    EXPECT_NE(saved.Error().find("disk is full"), std::string::npos);
}

TEST_F(SessionTest, AStoredCallIsPricedAsItWasCharged) {
    ASSERT_TRUE(db_.ExecuteSql(
        "INSERT INTO discounttime (beginTime, endTime, discount) VALUES ('09:01:00', '10:00:00', "
        "0.5)"));
    Configure({{kJishiTimeDiscounted, "1"}, {kPhoneFee, "1.2"}});
    DialAndWaitForTheLink();
    const Moment begin = *ParseMoment(session_.Call().callBeginTime);
    for (int minute = 0; minute < 2; ++minute) {
        Run(60);
        session_.MinuteTick();
    }
    Run(30);
    HangUpAndWait();
    const PricedCall priced = PriceCall(session_.Rules(), begin, 151, 0, false);
    EXPECT_EQ(session_.Call().callSeconds, 151);
    EXPECT_NEAR(LoggedCalls()[0][5].NumberOr0(), priced.fee, 1e-12);
    // Both ticked minutes fell in the discount window: 0.02 + 0.025 each.
    EXPECT_NEAR(priced.fee, 2 * 0.045 + (0.025 * 31 / 60 + 0.02), 1e-12);
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

// The fee examples of the tariffs, charged by the running session with its
// minute ticks where they fell, then priced again under the same rules: the
// comparison gives back what the log holds.
TEST_F(SessionTest, RecordedCallsPricedAgainUnderTheirOwnRulesCostWhatWasRecorded) {
    using Settings = std::vector<std::pair<SettingKey, const char*>>;
    const Settings jishi = {{kFeeType, "1"}, {kPhoneFee, "0"}, {kJishiMinFeeUnit, "0"}};
    const Settings baoshi = {{kFeeType, "0"},          {kPhoneFee, "0"},
                             {kBaoshiFee, "0"},        {kBaoshiTime, "10"},
                             {kBaoshiTimeOutFee, "3"}, {kBaoshiMinFeeUnit, "0"}};
    struct Case {
        Settings settings;
        int earlierSeconds;  // a call already logged in the billing month
        std::vector<int> ticks;
        int seconds;
        double fee;
    } const cases[] = {
        {jishi, 0, {40, 100}, 150, 0.125},
        {jishi, 0, {20, 80, 140}, 150, 0.125},
        {{{kFeeType, "1"}, {kJishiMinFeeUnit, "1"}}, 0, {40, 100}, 150, 0.15},
        {{{kFeeType, "2"}, {kPhoneFee, "6"}, {kBaoyueFee, "0"}}, 0, {30}, 61, 0.2},
        {baoshi, 35999, {30}, 60, 0},
        {baoshi, 36000, {30}, 60, 0.05},
        {{{kFeeType, "0"}, {kPhoneFee, "0"}, {kBaoshiFee, "30"}}, 0, {}, 30, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fee);
        ASSERT_TRUE(db_.ExecuteSql("DELETE FROM diallog"));
        session_.RefreshHistory();
        for (const auto& [key, value] : c.settings) {
            ASSERT_TRUE(db_.SaveConfig(key, value));
        }
        session_.ReloadRules();
        if (c.earlierSeconds > 0) {
            LogEarlierCall("2006-04-25 08:00:00", c.earlierSeconds);
        }
        DialAndWaitForTheLink();
        int at = 0;
        for (const int tick : c.ticks) {
            Run(tick - at);
            session_.MinuteTick();
            at = tick;
        }
        Run(c.seconds - 1 - at);
        HangUpAndWait();
        const TariffComparison comparison =
            session_.CompareTariff(session_.Rules(), session_.CurrentBillingMonth(), 1);
        EXPECT_NEAR(comparison.total.recorded, c.fee, 1e-9);
        EXPECT_NEAR(comparison.total.compared, comparison.total.recorded, 1e-12);
    }
}

// 1 MB a month for 10, then 0.5 a megabyte: the first call pays the monthly
// fee and its bytes beyond the megabyte, charged while it runs; the second
// call of the month pays for all its bytes.
TEST_F(SessionTest, TheVolumeTariffChargesTheBytesBeyondTheMonthsVolume) {
    constexpr double kMB = 1024.0 * 1024.0;
    Configure({{kFeeType, "3"},
               {kPhoneFee, "0"},
               {kLiuliangFee, "10"},
               {kLiuliangVolume, "1"},
               {kLiuliangMBFee, "0.5"}});
    const auto callBytes = [this] {
        return static_cast<double>(session_.Call().callBytesIn + session_.Call().callBytesOut);
    };
    DialAndWaitForTheLink();
    Run(30);
    session_.MinuteTick();
    ASSERT_GT(callBytes(), kMB);
    EXPECT_NEAR(session_.Fee().callFee, 10 + (callBytes() - kMB) / kMB * 0.5, 1e-9);
    Run(29);
    HangUpAndWait();
    const double first = 10 + (callBytes() - kMB) / kMB * 0.5;
    Run(5);
    DialAndWaitForTheLink();
    Run(40);
    HangUpAndWait();
    const double second = callBytes() / kMB * 0.5;

    const Rows fees = db_.QueryRows("SELECT fee FROM diallog ORDER BY beginTime");
    ASSERT_EQ(fees.size(), 2u);
    EXPECT_NEAR(fees[0][0].NumberOr0(), first, 1e-9);
    EXPECT_NEAR(fees[1][0].NumberOr0(), second, 1e-9);
    const TariffComparison comparison =
        session_.CompareTariff(session_.Rules(), session_.CurrentBillingMonth(), 1);
    EXPECT_NEAR(comparison.total.compared, first + second, 1e-9);
}

// The kinds of each logged call's marks, oldest call first.
std::vector<std::string> MarksByCall(Dbio& db) {
    std::vector<std::string> marks;
    for (const Row& row :
         db.QueryRows("SELECT (SELECT group_concat(kind) FROM (SELECT kind FROM callmarks"
                      " WHERE callId = diallog.id ORDER BY kind)) FROM diallog ORDER BY id")) {
        marks.push_back(row[0].Text());
    }
    return marks;
}

TEST_F(SessionTest, TheRecordMarksWhatItCannotVouchForAndNothingElse) {
    DialAndWaitForTheLink();
    Run(60);
    session_.MinuteTick();
    EXPECT_EQ(MarksByCall(db_), std::vector<std::string>{"unfinished"});
    HangUpAndWait();

    DialAndWaitForTheLink();
    Run(5);
    dialer_.ScriptCounters(0, 0);  // the link was reset under the call
    Run(5);
    HangUpAndWait();

    DialAndWaitForTheLink();
    Run(5);
    clock_.StepWall(3600);
    Run(5);
    HangUpAndWait();
    EXPECT_EQ(MarksByCall(db_), (std::vector<std::string>{"", "counterReset", "clockStep"}));

    // Killed after its first minute: a program started next finds the link up.
    DialAndWaitForTheLink();
    Run(60);
    session_.MinuteTick();
    RecordingUi ui;
    Session restarted{db_, dialer_, clock_, ui, probe_};
    restarted.StartUp();
    restarted.MinuteTick();
    EXPECT_EQ(MarksByCall(db_), (std::vector<std::string>{"", "counterReset", "clockStep",
                                                          "truncated", "foundUp,unfinished"}));
}

}  // namespace
}  // namespace vornik
