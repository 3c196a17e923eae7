#include "dialer/simulated_dialer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

class FakeClock : public Clock {
  public:
    Moment Now() const override { return AddSeconds(start_, ms_ / 1000); }
    std::int64_t MonotonicMs() const override { return ms_; }
    void Advance(std::int64_t ms) { ms_ += ms; }

  private:
    Moment start_{2024, 5, 1, 9, 0, 0};
    std::int64_t ms_ = 5'000'000;
};

constexpr std::int64_t kKB = 1024;
const std::vector<std::string> kFullDial = {"0", "1", "2", "3", "4", "5", "14", "18", "21", "8192"};

class SimulatedDialerTest : public ::testing::Test {
  protected:
    SimulatedDialerTest() {
        dialer_.SetEvents({
            .stateChanged = [this](int state) { events_.push_back(std::to_string(state)); },
            .dialError = [this](const std::string& message) { events_.push_back(message); },
        });
    }

    // Advances in one long pause, then polls once.
    void AdvanceAndPoll(std::int64_t ms) {
        clock_.Advance(ms);
        dialer_.Poll();
    }

    void DialUntilUp(const std::string& entry) {
        dialer_.LoadEntry(entry);
        dialer_.Connect();
        AdvanceAndPoll(60'000);
        ASSERT_TRUE(dialer_.IsConnected());
        events_.clear();
    }

    std::filesystem::path PhoneBookFile() const { return folder_ / "simulated-phonebook.txt"; }

    TempFolder folder_;
    FakeClock clock_;
    SimulatedDialer dialer_{clock_, PhoneBookFile()};
    std::vector<std::string> events_;
};

TEST_F(SimulatedDialerTest, FullCallWalksTheStatesAndCountsSteadyTraffic) {
    dialer_.LoadEntry("模拟ADSL");  // steady 40 8, three seconds to connect
    dialer_.Connect();
    EXPECT_TRUE(events_.empty()) << "events come only from Poll";

    AdvanceAndPoll(1500);
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_EQ(events_, std::vector<std::string>(kFullDial.begin(), kFullDial.begin() + 5));

    AdvanceAndPoll(1500);
    EXPECT_EQ(events_, kFullDial);
    EXPECT_TRUE(dialer_.IsConnected());
    EXPECT_EQ(dialer_.IPAddress(), "198.51.100.23");
    EXPECT_EQ(dialer_.DeviceType(), "PPPoE (模拟)");
    EXPECT_EQ(dialer_.BytesReceived(), 0);

    dialer_.Connect();  // already up: nothing happens
    AdvanceAndPoll(10'000);
    EXPECT_EQ(events_.size(), kFullDial.size());
    EXPECT_EQ(dialer_.BytesReceived(), 40 * kKB * 10);
    EXPECT_EQ(dialer_.BytesSent(), 8 * kKB * 10);
}

TEST_F(SimulatedDialerTest, CountersFollowIdleSpellsAndBursts) {
    DialUntilUp("模拟GPRS");  // idle 6 2 30 30
    clock_.Advance(30'000);
    EXPECT_EQ(dialer_.BytesReceived(), 6 * kKB * 30);
    clock_.Advance(30'000);  // the idle spell adds nothing
    EXPECT_EQ(dialer_.BytesReceived(), 6 * kKB * 30);
    EXPECT_EQ(dialer_.BytesSent(), 2 * kKB * 30);
    clock_.Advance(10'000);
    EXPECT_EQ(dialer_.BytesReceived(), 6 * kKB * 40);

    // A burst pattern from here on: full rate for 10 s, then a tenth for 10 s.
    dialer_.ScriptTraffic({TrafficPattern::Kind::kBursty, 10, 1, 10, 10});
    clock_.Advance(20'000);
    EXPECT_EQ(dialer_.BytesReceived(), 6 * kKB * 40 + 10 * kKB * 10 + 1 * kKB * 10);
    EXPECT_EQ(dialer_.BytesSent(), 2 * kKB * 40 + 1 * kKB * 10 + kKB);
}

TEST_F(SimulatedDialerTest, DialFailureStopsAfterAuthenticationWithItsMessage) {
    dialer_.SetEvents({
        .stateChanged = [this](int state) { events_.push_back(std::to_string(state)); },
        .dialError =
            [this](const std::string& message) {
                events_.push_back(message);
                dialer_.HangUp();  // as the session does; must not disturb the dialer
            },
    });
    dialer_.LoadEntry("模拟ADSL");
    dialer_.ScriptDialFailure("错误 691：用户名或密码无效");
    dialer_.Connect();
    AdvanceAndPoll(60'000);
    dialer_.Poll();
    // A scripted message is passed on exactly as written.
    const std::vector<std::string> failed = {
        "0", "1", "2", "3", "4", "5", "错误 691：用户名或密码无效"};
    EXPECT_EQ(events_, failed);
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_EQ(dialer_.IPAddress(), "");

    // The script was for one dial only.
    events_.clear();
    dialer_.Connect();
    AdvanceAndPoll(60'000);
    EXPECT_EQ(events_, kFullDial);
}

TEST_F(SimulatedDialerTest, ConfiguredFailureFailsEveryDialAndSaysItIsSimulated) {
    WriteFile(PhoneBookFile(), "[忙线]\nfail=线路忙\n");
    dialer_.EditEntry("忙线");
    dialer_.LoadEntry("忙线");
    for (int dial = 0; dial < 2; ++dial) {
        events_.clear();
        dialer_.Connect();
        AdvanceAndPoll(60'000);
        ASSERT_EQ(events_.size(), 7u);
        EXPECT_EQ(events_.back(), "线路忙 (模拟)");
    }
    // No entry selected: the dial fails at once.
    dialer_.LoadEntry("");
    events_.clear();
    dialer_.Connect();
    dialer_.Poll();
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_NE(events_[0].find("模拟"), std::string::npos);
}

TEST_F(SimulatedDialerTest, HangUpAndLinkDropRaiseDisconnectedOnce) {
    DialUntilUp("模拟ADSL");
    clock_.Advance(5000);
    dialer_.HangUp();
    EXPECT_FALSE(dialer_.IsConnected());
    EXPECT_TRUE(events_.empty()) << "events come only from Poll";
    EXPECT_EQ(dialer_.BytesReceived(), 0);
    EXPECT_EQ(dialer_.IPAddress(), "");
    dialer_.Poll();
    dialer_.HangUp();  // already down
    AdvanceAndPoll(1000);
    EXPECT_EQ(events_, std::vector<std::string>{"8193"});

    DialUntilUp("模拟ADSL");
    dialer_.ScriptLinkDrop();
    EXPECT_FALSE(dialer_.IsConnected());
    AdvanceAndPoll(1000);
    dialer_.Poll();
    EXPECT_EQ(events_, std::vector<std::string>{"8193"});

    // Hanging up while dialling cancels the rest of the sequence.
    events_.clear();
    dialer_.Connect();
    AdvanceAndPoll(0);
    dialer_.HangUp();
    AdvanceAndPoll(60'000);
    EXPECT_EQ(events_, (std::vector<std::string>{"0", "8193"}));
    EXPECT_FALSE(dialer_.IsConnected());
}

TEST_F(SimulatedDialerTest, AddressAppearsOnlyLaterWhenScripted) {
    dialer_.ScriptAddressAfter(20);
    DialUntilUp("模拟ADSL");
    EXPECT_EQ(dialer_.IPAddress(), "");
    clock_.Advance(19'999);
    EXPECT_EQ(dialer_.IPAddress(), "");
    clock_.Advance(1);
    EXPECT_EQ(dialer_.IPAddress(), "198.51.100.23");
}

TEST_F(SimulatedDialerTest, CountersResetAndHoldScriptedValues) {
    DialUntilUp("模拟ADSL");  // steady 40 8
    clock_.Advance(10'000);
    dialer_.ScriptCounterReset();
    EXPECT_EQ(dialer_.BytesReceived(), 0);
    clock_.Advance(5000);
    EXPECT_EQ(dialer_.BytesReceived(), 40 * kKB * 5);

    dialer_.ScriptCounters(5'000'000'000, 123);  // beyond 32 bits
    clock_.Advance(60'000);
    EXPECT_EQ(dialer_.BytesReceived(), 5'000'000'000);
    EXPECT_EQ(dialer_.BytesSent(), 123);

    // A new pattern grows from the fixed values.
    dialer_.ScriptTraffic({TrafficPattern::Kind::kSteady, 1, 1, 60, 20});
    clock_.Advance(2000);
    EXPECT_EQ(dialer_.BytesReceived(), 5'000'000'000 + 2 * kKB);
    EXPECT_EQ(dialer_.BytesSent(), 123 + 2 * kKB);

    dialer_.ScriptCounters(7, 7);
    dialer_.ScriptCounterReset();
    EXPECT_EQ(dialer_.BytesReceived(), 0);
}

TEST_F(SimulatedDialerTest, PhoneBookIsCreatedWithSamplesAndReadsBack) {
    const std::string text = ReadFile(PhoneBookFile());
    EXPECT_TRUE(text.starts_with("# ")) << text;
    EXPECT_NE(text.find("每一个连接都是模拟的"), std::string::npos);
    EXPECT_EQ(dialer_.PhoneBook(), PhoneBookFile().string());
    EXPECT_EQ(dialer_.DefaultPhoneBook(), PhoneBookFile().string());
    EXPECT_EQ(dialer_.PhoneBookProblems(), "");

    const std::vector<SimulatedEntry> samples = SampleSimulatedEntries();
    std::string error = "untouched";
    const std::vector<SimulatedEntry> read = ReadSimulatedPhoneBook(PhoneBookFile(), &error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(read.size(), 2u);
    ASSERT_EQ(dialer_.EntryCount(), 2);
    for (std::size_t i = 0; i < read.size(); ++i) {
        SCOPED_TRACE(samples[i].name);
        EXPECT_NE(samples[i].name.find("模拟"), std::string::npos);
        EXPECT_EQ(dialer_.EntryNameAt(static_cast<int>(i)), samples[i].name);
        EXPECT_EQ(read[i].name, samples[i].name);
        EXPECT_EQ(read[i].userName, samples[i].userName);
        EXPECT_EQ(read[i].password, samples[i].password);
        EXPECT_EQ(read[i].deviceType, samples[i].deviceType);
        EXPECT_EQ(read[i].connectDelaySeconds, samples[i].connectDelaySeconds);
        EXPECT_EQ(read[i].traffic.kind, samples[i].traffic.kind);
        EXPECT_EQ(read[i].traffic.downKBps, samples[i].traffic.downKBps);
        EXPECT_EQ(read[i].traffic.upKBps, samples[i].traffic.upKBps);
        EXPECT_EQ(read[i].traffic.activeSeconds, samples[i].traffic.activeSeconds);
        EXPECT_EQ(read[i].traffic.quietSeconds, samples[i].traffic.quietSeconds);
        EXPECT_EQ(read[i].failure, "");
    }
    EXPECT_EQ(dialer_.EntryNameAt(2), "");

    // Another phone book is made on first use too; no path means no entries.
    dialer_.SetPhoneBook((folder_ / "other/book.txt").string());
    EXPECT_EQ(dialer_.EntryCount(), 2);
    dialer_.SetPhoneBook("");
    EXPECT_EQ(dialer_.EntryCount(), 0);
    EXPECT_EQ(dialer_.CreateEntry(), 1);
}

TEST_F(SimulatedDialerTest, CredentialsAreSavedPerEntryAndHandEditsAreKept) {
    dialer_.LoadEntry("不存在");
    EXPECT_EQ(dialer_.EntryName(), "");

    // The user adds an entry by hand while the program runs.
    WriteFile(PhoneBookFile(), ReadFile(PhoneBookFile()) + "\n[手写]\nuser=hand\n");
    dialer_.LoadEntry("模拟GPRS");
    dialer_.SetEntryUserName("alice");
    dialer_.SetEntryPassword("p=ss word");
    dialer_.SaveEntry("模拟GPRS");

    SimulatedDialer reopened(clock_, PhoneBookFile());
    ASSERT_EQ(reopened.EntryCount(), 3);
    reopened.LoadEntry("模拟GPRS");
    EXPECT_EQ(reopened.EntryName(), "模拟GPRS");
    EXPECT_EQ(reopened.EntryUserName(), "alice");
    EXPECT_EQ(reopened.EntryPassword(), "p=ss word");
    reopened.LoadEntry("模拟ADSL");
    EXPECT_EQ(reopened.EntryUserName(), "demo");
    reopened.LoadEntry("手写");
    EXPECT_EQ(reopened.EntryUserName(), "hand");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "simulated-phonebook.txt.tmp"));

    EXPECT_EQ(reopened.CreateEntry(), 0);
    EXPECT_EQ(reopened.CreateEntry(), 0);
    ASSERT_EQ(reopened.EntryCount(), 5);
    EXPECT_EQ(reopened.EntryNameAt(3), "模拟连接 4");
    EXPECT_EQ(reopened.EntryNameAt(4), "模拟连接 5");
    EXPECT_EQ(ReadSimulatedPhoneBook(PhoneBookFile()).size(), 5u);

    // Editing by hand takes effect with EditEntry, also for the selected entry.
    WriteFile(PhoneBookFile(), "[模拟GPRS]\npassword=changed\n");
    dialer_.EditEntry("模拟GPRS");
    EXPECT_EQ(dialer_.EntryCount(), 1);
    EXPECT_EQ(dialer_.EntryName(), "模拟GPRS");
    EXPECT_EQ(dialer_.EntryPassword(), "changed");
}

TEST_F(SimulatedDialerTest, MalformedLinesAreReportedWhileTheRestLoads) {
    WriteFile(PhoneBookFile(),
              "\xEF\xBB\xBF# hand written\r\n"
              "stray=1\r\n"
              "[甲]\r\n"
              "user=a\r\n"
              "connect_delay=soon\r\n"
              "traffic=idle 5 1 0 0\r\n"
              "colour=blue\r\n"
              "[乙]\r\n"
              "traffic=bursty 20 4 15 45\r\n"
              "no equals sign\r\n"
              "[甲]\r\n"
              "user=duplicate\r\n");
    dialer_.EditEntry("");
    const std::string problems = dialer_.PhoneBookProblems();
    for (int line : {2, 5, 6, 7, 10, 11}) {
        EXPECT_NE(problems.find("第 " + std::to_string(line) + " 行"), std::string::npos)
            << line << "\n"
            << problems;
    }
    EXPECT_EQ(problems.find("第 4 行"), std::string::npos);
    EXPECT_NE(problems.find("colour"), std::string::npos);

    const std::vector<SimulatedEntry> entries = ReadSimulatedPhoneBook(PhoneBookFile());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].userName, "a");
    EXPECT_EQ(entries[0].connectDelaySeconds, SimulatedEntry{}.connectDelaySeconds);
    EXPECT_EQ(entries[0].traffic.kind, TrafficPattern::Kind::kSteady);
    EXPECT_EQ(entries[1].traffic.kind, TrafficPattern::Kind::kBursty);
    EXPECT_EQ(entries[1].traffic.quietSeconds, 45);

    // A device type written by hand without the mark still shows as simulated.
    WriteFile(PhoneBookFile(), "[丙]\ndevice=PPPoE\nconnect_delay=0\n");
    dialer_.EditEntry("丙");
    DialUntilUp("丙");
    EXPECT_EQ(dialer_.DeviceType(), "PPPoE (模拟)");
}

}  // namespace
}  // namespace vornik
