// The simulated dialer: a phone book of its own and links that exist only in this
// program. It is for demonstrations and tests, and whatever it shows a user says
// that the link is simulated.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/clock.h"
#include "base/result.h"
#include "dialer/dialer.h"

namespace vornik {

// How a simulated link's counters grow while it is up.
struct TrafficPattern {
    enum class Kind { kSteady, kBursty, kIdleSpells };
    Kind kind = Kind::kSteady;
    double downKBps = 40;  // rates while active
    double upKBps = 8;
    int activeSeconds = 60;  // bursty and idle spells: length of an active stretch
    int quietSeconds = 20;   // length of a quiet stretch (bursty: a tenth of the rate; idle: none)
};

struct SimulatedEntry {
    std::string name;
    std::string userName;
    std::string password;
    std::string deviceType = "PPPoE (模拟)";
    int connectDelaySeconds = 3;  // from Connect to the link being up
    TrafficPattern traffic;
    std::string failure;  // when not empty, every dial fails with this message
};

// The phone book file: plain text, one section per entry. Written with two sample
// entries when missing.
std::vector<SimulatedEntry> ReadSimulatedPhoneBook(const std::filesystem::path& file,
                                                   std::string* error = nullptr);
Result<> WriteSimulatedPhoneBook(const std::filesystem::path& file,
                                 const std::vector<SimulatedEntry>& entries);
// The same on the file's text; `fileName` names the file in the problems, one
// line each.
std::vector<SimulatedEntry> ParseSimulatedPhoneBook(std::string_view text,
                                                    const std::string& fileName,
                                                    std::string* problems = nullptr);
std::string SimulatedPhoneBookText(const std::vector<SimulatedEntry>& entries);
std::vector<SimulatedEntry> SampleSimulatedEntries();

class SimulatedDialer : public Dialer {
  public:
    // `phoneBookFile` is created with the samples when missing.
    SimulatedDialer(const Clock& clock, std::filesystem::path phoneBookFile);

    std::string BackendName() const override { return "sim"; }
    bool IsSimulated() const override { return true; }

    bool IsConnected() override;
    std::string EntryName() override;
    std::string EntryUserName() override;
    void SetEntryUserName(const std::string& name) override;
    std::string EntryPassword() override;
    void SetEntryPassword(const std::string& password) override;
    std::string PhoneBook() override;
    void SetPhoneBook(const std::string& path) override;
    std::string DefaultPhoneBook() override;
    int EntryCount() override;
    std::string EntryNameAt(int index) override;
    std::string DeviceType() override;
    std::string IPAddress() override;
    std::int64_t BytesReceived() override;
    std::int64_t BytesSent() override;

    void Connect() override;
    void HangUp() override;
    void LoadEntry(const std::string& name) override;
    void SaveEntry(const std::string& name) override;
    int CreateEntry() override;
    void EditEntry(const std::string& name) override;
    void Poll() override;

    // How EditEntry shows the phone book to the user (the desktop opens it in a
    // text editor); without one, EditEntry only reads the file again.
    void SetEditor(std::function<void(const std::filesystem::path& file)> openEditor) {
        openEditor_ = std::move(openEditor);
    }
    // The file changed on disk: read it again and say that the list may differ.
    void ReloadPhoneBook();

    // Scripting, for tests and demonstrations. Each takes effect at the next Poll
    // (which a dropped link asks for at once) or property read.
    void ScriptDialFailure(const std::string& message);  // the next Connect fails
    void ScriptLinkDrop();                               // the link goes down now
    void ScriptAddressAfter(int seconds);  // no address until this long after the link is up
    void ScriptCounterReset();             // the counters restart from 0
    void ScriptTraffic(const TrafficPattern& pattern);              // replaces the entry's pattern
    void ScriptCounters(std::int64_t received, std::int64_t sent);  // fixes the counters

    // What the last reading or writing of the phone book found wrong (unknown keys,
    // malformed values, a file that cannot be written), one line each; empty: nothing.
    const std::string& PhoneBookProblems() const { return phoneBookProblems_; }

  private:
    enum class Phase { kDown, kDialing, kUp };
    struct Counters {
        std::int64_t received = 0;
        std::int64_t sent = 0;
    };

    void OpenPhoneBook();
    void LoadPhoneBookFile();
    bool WritePhoneBook();
    SimulatedEntry* FindEntry(const std::string& name);

    bool RaiseNextDueEvent();
    // Tells the wake-up when the next dial step or the owed disconnect is due.
    void AskForNextWakeUp();
    std::int64_t StepDueMs(int step) const;
    void BringLinkUp();
    void TakeLinkDown();
    Counters CurrentCounters() const;
    std::int64_t NowMs() const { return clock_.MonotonicMs(); }

    const Clock& clock_;
    std::filesystem::path defaultPhoneBook_;
    std::filesystem::path phoneBook_;
    std::vector<SimulatedEntry> entries_;
    std::string phoneBookProblems_;
    std::function<void(const std::filesystem::path&)> openEditor_;

    // The selected entry and its credentials as loaded or set since.
    std::string entryName_;
    std::string userName_;
    std::string password_;

    // The dial in progress or the link that is up, with a copy of its entry so
    // that editing the phone book meanwhile does not change it.
    Phase phase_ = Phase::kDown;
    SimulatedEntry link_;
    std::int64_t dialStartMs_ = 0;
    int stepsRaised_ = 0;
    int failAtStep_ = 0;  // the step replaced by DialError; past the last: none
    std::string failureMessage_;
    bool disconnectOwed_ = false;  // 8193 for the next Poll
    std::int64_t upSinceMs_ = 0;

    // Counters: a base plus what the pattern adds since counterStartMs_, or fixed.
    Counters counterBase_;
    std::int64_t counterStartMs_ = 0;
    std::optional<Counters> fixedCounters_;

    // Scripts.
    std::optional<std::string> scriptedFailure_;
    std::optional<TrafficPattern> scriptedTraffic_;
    int addressAfterSeconds_ = 0;
};

}  // namespace vornik
