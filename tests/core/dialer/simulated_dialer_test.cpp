// The dialer's own rules; whole calls through it are in the session tests.
#include "dialer/simulated_dialer.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "support/fake_clock.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::ReadFile;
using testing::WriteFile;
using Events = std::vector<std::string>;

constexpr std::int64_t kKB = 1024;
const Events kFullDial = {"0", "1", "2", "3", "4", "5", "14", "18", "21", "8192"};

class SimulatedDialerTest : public ::testing::Test {
  protected:
    SimulatedDialerTest() {
        dialer_.SetEvents(
            this,
            {
                .stateChanged = [this](int state) { events_.push_back(std::to_string(state)); },
                .dialError =
                    [this](const std::string& message) {
                        events_.push_back(message);
                        dialer_.HangUp();  // as the session does; must not disturb the dialer
                    },
            });
    }
    void AdvanceAndPoll(std::int64_t ms) {
        clock_.AdvanceMs(ms);
        dialer_.Poll();
    }
    void Dial(const std::string& entry) {
        dialer_.LoadEntry(entry);
        events_.clear();
        dialer_.Connect();
        AdvanceAndPoll(60'000);
    }
    std::filesystem::path Book() const { return folder_ / "simulated-phonebook.txt"; }

    testing::TempFolder folder_;
    testing::FakeClock clock_{{2024, 5, 1, 9, 0, 0}};
    SimulatedDialer dialer_{clock_, Book()};
    Events events_;
};

TEST_F(SimulatedDialerTest, StatesComeOnlyFromPollAndDisconnectedOnce) {
    dialer_.LoadEntry("模拟ADSL");
    dialer_.Connect();
    EXPECT_TRUE(events_.empty());
    AdvanceAndPoll(1500);
    EXPECT_FALSE(dialer_.IsConnected());
    AdvanceAndPoll(1500);
    EXPECT_EQ(events_, kFullDial);
    dialer_.Connect();  // already up: nothing happens
    AdvanceAndPoll(10'000);
    EXPECT_EQ(events_, kFullDial);

    for (bool drop : {false, true}) {
        if (drop) {
            Dial("模拟ADSL");
        }
        events_.clear();
        drop ? dialer_.ScriptLinkDrop() : dialer_.HangUp();
        EXPECT_FALSE(dialer_.IsConnected());
        EXPECT_TRUE(events_.empty());
        dialer_.Poll();
        dialer_.HangUp();  // already down
        AdvanceAndPoll(1000);
        EXPECT_EQ(events_, Events{"8193"}) << drop;
    }
    // Hanging up while dialling cancels the rest of the sequence.
    events_.clear();
    dialer_.Connect();
    AdvanceAndPoll(0);
    dialer_.HangUp();
    AdvanceAndPoll(60'000);
    EXPECT_EQ(events_, (Events{"0", "8193"}));
}

// Moved on only by the wake-ups it asks for, a dial raises each state at its due
// moment; a link that is up asks for none until it goes down.
TEST_F(SimulatedDialerTest, TheWakeUpsItAsksForBringEachStateWhenItIsDue) {
    std::vector<std::optional<std::int64_t>> asked;
    dialer_.SetWakeUp(this,
                      [&asked](std::optional<std::int64_t> delayMs) { asked.push_back(delayMs); });
    std::vector<std::int64_t> raisedAtMs;
    std::int64_t sinceDialMs = 0;
    // Waits as long as the last request says, then polls.
    auto followWakeUps = [&] {
        for (int guard = 0; guard < 100 && !asked.empty() && asked.back(); ++guard) {
            const std::int64_t delayMs = *asked.back();
            asked.clear();
            clock_.AdvanceMs(delayMs);
            sinceDialMs += delayMs;
            const std::size_t before = events_.size();
            dialer_.Poll();
            raisedAtMs.insert(raisedAtMs.end(), events_.size() - before, sinceDialMs);
        }
    };
    dialer_.LoadEntry("模拟ADSL");  // connected after 3 seconds
    dialer_.Connect();
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(asked, (std::vector<std::optional<std::int64_t>>{0}));
    followWakeUps();
    EXPECT_EQ(events_, kFullDial);
    EXPECT_EQ(raisedAtMs,
              (std::vector<std::int64_t>{0, 333, 666, 1000, 1333, 1666, 2000, 2333, 2666, 3000}));
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), std::nullopt);

    // A dropped link is reported at the next wake-up, asked for at once.
    events_.clear();
    asked.clear();
    dialer_.ScriptLinkDrop();
    EXPECT_EQ(asked, (std::vector<std::optional<std::int64_t>>{0}));
    followWakeUps();
    EXPECT_EQ(events_, Events{"8193"});
    EXPECT_EQ(asked.back(), std::nullopt);

    // A wake-up that comes early finds nothing due and asks for the rest; a
    // hang-up in the middle of a dial ends it there.
    events_.clear();
    dialer_.Connect();
    dialer_.Poll();  // the first step is due at once
    asked.clear();
    clock_.AdvanceMs(100);
    dialer_.Poll();
    EXPECT_EQ(events_, Events{"0"});
    EXPECT_EQ(asked, (std::vector<std::optional<std::int64_t>>{233}));
    dialer_.HangUp();
    EXPECT_EQ(asked.back(), 0);
    followWakeUps();
    EXPECT_EQ(events_, (Events{"0", "8193"}));
    EXPECT_EQ(asked.back(), std::nullopt);
}

TEST_F(SimulatedDialerTest, FailuresStopAfterAuthenticationWithTheirMessage) {
    dialer_.ScriptDialFailure("错误 691：用户名或密码无效");
    Dial("模拟ADSL");
    dialer_.Poll();
    EXPECT_EQ(events_, (Events{"0", "1", "2", "3", "4", "5", "错误 691：用户名或密码无效"}));
    EXPECT_FALSE(dialer_.IsConnected());
    Dial("模拟ADSL");  // the script was for one dial only
    EXPECT_EQ(events_, kFullDial);
    dialer_.HangUp();
    dialer_.Poll();

    // A failure in the phone book fails every dial and says it is simulated.
    WriteFile(Book(), "[忙线]\nfail=线路忙\n");
    dialer_.EditEntry("");
    Dial("忙线");
    Dial("忙线");
    ASSERT_EQ(events_.size(), 7u);
    EXPECT_EQ(events_.back(), "线路忙 (模拟)");
}

TEST_F(SimulatedDialerTest, CountersFollowThePatternAndTheScripts) {
    Dial("模拟GPRS");    // idle 6 2 30 30
    clock_.Advance(60);  // the idle half adds nothing
    EXPECT_EQ(dialer_.BytesReceived(), 6 * kKB * 30);
    clock_.Advance(10);
    EXPECT_EQ(dialer_.BytesReceived(), 6 * kKB * 40);

    // Bursty from here on: full rate for 10 s, then a tenth for 10 s.
    dialer_.ScriptTraffic({TrafficPattern::Kind::kBursty, 10, 1, 10, 10});
    clock_.Advance(20);
    EXPECT_EQ(dialer_.BytesReceived(), 6 * kKB * 40 + 10 * kKB * 10 + kKB * 10);
    EXPECT_EQ(dialer_.BytesSent(), 2 * kKB * 40 + kKB * 10 + kKB);

    dialer_.ScriptCounterReset();
    EXPECT_EQ(dialer_.BytesReceived(), 0);
    dialer_.ScriptCounters(5'000'000'000, 123);  // beyond 32 bits, and held
    clock_.Advance(60);
    EXPECT_EQ(dialer_.BytesReceived(), 5'000'000'000);
    // A new pattern grows from the held values.
    dialer_.ScriptTraffic({TrafficPattern::Kind::kSteady, 1, 1, 60, 20});
    clock_.Advance(2);
    EXPECT_EQ(dialer_.BytesReceived(), 5'000'000'000 + 2 * kKB);
    EXPECT_EQ(dialer_.BytesSent(), 123 + 2 * kKB);
}

TEST_F(SimulatedDialerTest, CountersSaturateRatherThanWrap) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    Dial("模拟ADSL");
    dialer_.ScriptCounters(kMax - 1000, kMax - 1000);
    dialer_.ScriptTraffic({TrafficPattern::Kind::kSteady, 1, 0, 60, 20});
    clock_.Advance(2);
    EXPECT_EQ(dialer_.BytesReceived(), kMax);
    EXPECT_EQ(dialer_.BytesSent(), kMax - 1000);

    // The fastest rate the phone book takes, for longer than 64 bits can count.
    dialer_.ScriptCounterReset();
    dialer_.ScriptTraffic({TrafficPattern::Kind::kBursty, 1'000'000, 1, 60, 20});
    clock_.Advance(100'000'000'000);  // some 3000 years
    EXPECT_EQ(dialer_.BytesReceived(), kMax);
    EXPECT_GT(dialer_.BytesSent(), 0);
}

auto Fields(const SimulatedEntry& e) {
    return std::tuple(e.name, e.userName, e.password, e.deviceType, e.connectDelaySeconds,
                      e.traffic.kind, e.traffic.downKBps, e.traffic.upKBps, e.traffic.activeSeconds,
                      e.traffic.quietSeconds, e.failure);
}

TEST_F(SimulatedDialerTest, PhoneBookIsCreatedReadBackAndSavedPerEntry) {
    EXPECT_NE(ReadFile(Book()).find("每一个连接都是模拟的"), std::string::npos);
    std::string error = "untouched";
    const std::vector<SimulatedEntry> read = ReadSimulatedPhoneBook(Book(), &error);
    const std::vector<SimulatedEntry> samples = SampleSimulatedEntries();
    EXPECT_EQ(error, "");
    ASSERT_EQ(read.size(), samples.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(Fields(read[i]), Fields(samples[i]));
        EXPECT_EQ(dialer_.EntryNameAt(static_cast<int>(i)), samples[i].name);
    }

    dialer_.SetPhoneBook("");  // no path: no entries
    EXPECT_EQ(dialer_.EntryCount(), 0);

    // Credentials are saved per entry, keeping what the user added by hand.
    dialer_.SetPhoneBook(Book().string());
    WriteFile(Book(), ReadFile(Book()) + "\n[手写]\nuser=hand\n");
    dialer_.LoadEntry("模拟GPRS");
    dialer_.SetEntryUserName("alice");
    dialer_.SetEntryPassword("p=ss word");
    dialer_.SaveEntry("模拟GPRS");

    SimulatedDialer reopened(clock_, Book());
    ASSERT_EQ(reopened.EntryCount(), 3);
    reopened.LoadEntry("模拟GPRS");
    EXPECT_EQ(reopened.EntryUserName(), "alice");
    EXPECT_EQ(reopened.EntryPassword(), "p=ss word");
    reopened.LoadEntry("模拟ADSL");
    EXPECT_EQ(reopened.EntryUserName(), "demo");
    // Written whole through a temporary file that does not stay behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()),
                            std::filesystem::directory_iterator{}),
              1);

    // New entries take the lowest free number.
    EXPECT_EQ(reopened.CreateEntry(), 0);
    EXPECT_EQ(reopened.CreateEntry(), 0);
    EXPECT_EQ(reopened.EntryNameAt(3), "模拟连接 1");
    EXPECT_EQ(reopened.EntryNameAt(4), "模拟连接 2");
    EXPECT_EQ(ReadSimulatedPhoneBook(Book()).size(), 5u);

    // Editing by hand takes effect with EditEntry, also for the selected entry.
    WriteFile(Book(), "[模拟GPRS]\npassword=changed\n");
    dialer_.EditEntry("模拟GPRS");
    EXPECT_EQ(dialer_.EntryCount(), 1);
    EXPECT_EQ(dialer_.EntryPassword(), "changed");
}

TEST_F(SimulatedDialerTest, MalformedLinesAreReportedWhileTheRestLoads) {
    // Problems on lines 2, 5, 6, 7, 10 and 11.
    WriteFile(Book(),
              "\xEF\xBB\xBF# hand written\r\nstray=1\r\n"
              "[甲]\r\nuser=a\r\nconnect_delay=soon\r\ntraffic=idle 5 1 0 0\r\ncolour=blue\r\n"
              "[乙]\r\ntraffic=bursty 20 4 15 45\r\nno equals sign\r\n"
              "[甲]\r\nuser=duplicate\r\n[丙]\r\ndevice=PPPoE\r\n");
    dialer_.EditEntry("");
    const std::string problems = dialer_.PhoneBookProblems();
    for (int line : {2, 5, 6, 7, 10, 11}) {
        EXPECT_NE(problems.find("第 " + std::to_string(line) + " 行"), std::string::npos)
            << problems;
    }
    EXPECT_EQ(problems.find("第 4 行"), std::string::npos);

    const std::vector<SimulatedEntry> entries = ReadSimulatedPhoneBook(Book());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].userName, "a");
    EXPECT_EQ(entries[0].connectDelaySeconds, SimulatedEntry{}.connectDelaySeconds);
    EXPECT_EQ(entries[0].traffic.kind, TrafficPattern::Kind::kSteady);
    EXPECT_EQ(entries[1].traffic.kind, TrafficPattern::Kind::kBursty);
    EXPECT_EQ(entries[1].traffic.quietSeconds, 45);

    // A device written by hand without the mark still shows as simulated.
    Dial("丙");
    EXPECT_EQ(dialer_.DeviceType(), "PPPoE (模拟)");
}

TEST_F(SimulatedDialerTest, ARateNoLinkCarriesIsReportedAndTheDefaultKept) {
    WriteFile(Book(),
              "[光纤]\ntraffic=steady 1000000 1000000\n"
              "[失控]\ntraffic=steady 1e15 8\ntraffic=idle 5 2e6 10 10\n");
    dialer_.EditEntry("");
    const std::string problems = dialer_.PhoneBookProblems();
    EXPECT_EQ(problems.find("第 2 行"), std::string::npos) << problems;
    EXPECT_NE(problems.find("第 4 行"), std::string::npos) << problems;
    EXPECT_NE(problems.find("第 5 行"), std::string::npos) << problems;

    const std::vector<SimulatedEntry> entries = ReadSimulatedPhoneBook(Book());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].traffic.downKBps, 1'000'000);
    SimulatedEntry defaults;
    defaults.name = "失控";
    EXPECT_EQ(Fields(entries[1]), Fields(defaults));
}

TEST_F(SimulatedDialerTest, WhatIsQuotedFromTheFileIsCutShort) {
    std::string longKey;
    for (int i = 0; i < 20'000; ++i) {
        longKey += "键名";  // three bytes each
    }
    WriteFile(Book(), "[甲]\n" + longKey + "=1\n[" + longKey + "]\n[" + longKey + "]\n");
    dialer_.EditEntry("");
    const std::string problems = dialer_.PhoneBookProblems();
    std::size_t lines = 0;
    for (std::size_t begin = 0; begin < problems.size(); ++lines) {
        const std::size_t end = std::min(problems.find('\n', begin), problems.size());
        const std::string line = problems.substr(begin, end - begin);
        EXPECT_LT(line.size(), 400u) << line.substr(0, 400);
        EXPECT_NE(line.find("“键名键名"), std::string::npos) << line.substr(0, 400);
        EXPECT_NE(line.find("…”"), std::string::npos) << line.substr(0, 400);
        begin = end + 1;
    }
    EXPECT_EQ(lines, 2u);  // the unknown key and the repeated name
}

TEST_F(SimulatedDialerTest, CredentialsKeepTheBlanksAndQuotesAtTheirEnds) {
    for (const std::string password : {" 前后有空格 ", "\"带引号\"", "\"", "\t"}) {
        dialer_.LoadEntry("模拟ADSL");
        dialer_.SetEntryPassword(password);
        dialer_.SaveEntry("模拟ADSL");
        SimulatedDialer reopened(clock_, Book());
        reopened.LoadEntry("模拟ADSL");
        EXPECT_EQ(reopened.EntryPassword(), password);
        EXPECT_EQ(reopened.PhoneBookProblems(), "");
    }
    // By hand, quotes keep the blanks too.
    WriteFile(Book(), "[甲]\nuser=\" a \"\n");
    dialer_.EditEntry("");
    dialer_.LoadEntry("甲");
    EXPECT_EQ(dialer_.EntryUserName(), " a ");
}

TEST_F(SimulatedDialerTest, ALoneCarriageReturnEndsALineAsInAnEditor) {
    WriteFile(Book(), "[甲]\ruser=a\r\n[乙]\rfail=忙\n");
    dialer_.EditEntry("");
    EXPECT_EQ(dialer_.PhoneBookProblems(), "");
    const std::vector<SimulatedEntry> entries = ReadSimulatedPhoneBook(Book());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "甲");
    EXPECT_EQ(entries[0].userName, "a");
    EXPECT_EQ(entries[1].failure, "忙");
}

}  // namespace
}  // namespace vornik
