#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "app/session.h"
#include "dialer/simulated_dialer.h"
#include "base/setting_keys.h"
#include "support/fake_clock.h"
#include "support/fake_probe.h"
#include "support/recording_ui.h"
#include "support/temp_folder.h"

namespace vornik::testing {

// A Wednesday in the middle of a billing month (first fee day 21).
constexpr Moment kStart{2006, 5, 10, 9, 0, 0};

// A session on a real log in a temporary folder, with the simulated dialer, a
// fake clock, a recording user interface and a probe the test answers.
class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
        ASSERT_TRUE(db_.SaveConfig(keys::kJishiFee, "3"));  // 0.05 a minute
        ASSERT_TRUE(db_.SaveConfig(keys::kLastEntry, "模拟ADSL"));
        session_.StartUp();
        ASSERT_EQ(dialer_.EntryName(), "模拟ADSL");
    }

    // Seconds of wall and monotonic time, with the dialer and the main tick
    // running every second as the shell runs them.
    void Run(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock_.Advance(1);
            dialer_.Poll();
            session_.MainTick();
        }
    }
    void DialAndWaitForTheLink() {
        session_.Dial();
        for (int i = 0; i < 30 && !session_.Call().isConnected; ++i) {
            Run(1);
        }
        ASSERT_TRUE(session_.Call().isConnected);
    }
    void HangUpAndWait() {
        session_.DialDisconnect();
        Run(1);
        ASSERT_FALSE(session_.Call().isConnected);
    }
    // Saves settings and reloads the rules, as the options dialog does.
    void Configure(std::initializer_list<std::pair<SettingKey, const char*>> settings) {
        for (const auto& [key, value] : settings) {
            ASSERT_TRUE(db_.SaveConfig(key, value));
        }
        session_.ReloadRules();
    }
    // The link's counters stop growing, so its speed decays into an idle spell.
    void FreezeTraffic() { dialer_.ScriptCounters(dialer_.BytesReceived(), dialer_.BytesSent()); }
    void RunUntilIdle() {
        for (int i = 0; i < 30 && !session_.IsIdle(); ++i) {
            Run(1);
        }
        ASSERT_TRUE(session_.IsIdle());
    }
    bool Showed(const std::string& text) const {
        for (const std::string& line : ui_.statusLines) {
            if (line == "拨号状态：" + text) {
                return true;
            }
        }
        return false;
    }
    // A call of `seconds` already in the log for the current entry.
    void LogEarlierCall(const char* begin, int seconds, std::int64_t bytes = 0) {
        const Moment start = *ParseMoment(begin);
        ASSERT_TRUE(db_.ExecuteSql(
            "INSERT INTO diallog (beginTime, endTime, entryName, BytesIn) VALUES (?, ?, ?, ?)",
            {begin, MomentText(AddSeconds(start, seconds)), dialer_.EntryName(), bytes}));
        session_.RefreshHistory();
    }
    Rows LoggedCalls() {
        return db_.QueryRows(
            "SELECT beginTime, endTime, entryName, IpAddress, BytesIn, fee FROM diallog "
            "ORDER BY beginTime");
    }

    TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    FakeClock clock_{kStart};
    SimulatedDialer dialer_{clock_, folder_ / "simulated-phonebook.txt"};
    RecordingUi ui_;
    FakeProbe probe_;
    Session session_{db_, dialer_, clock_, ui_, probe_};
};

}  // namespace vornik::testing
