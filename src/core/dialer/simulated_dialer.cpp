#include "dialer/simulated_dialer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "base/saturating.h"

namespace vornik {
namespace {

// A successful dial walks through these, spread evenly over the entry's connect
// delay; a failing one stops after authentication begins.
constexpr int kDialSteps[] = {
    dial_state::kOpenPort,        dial_state::kPortOpened,          dial_state::kConnectDevice,
    dial_state::kDeviceConnected, dial_state::kAllDevicesConnected, dial_state::kAuthenticate,
    dial_state::kAuthenticated,   dial_state::kProjected,           dial_state::kLogonNetwork,
    dial_state::kConnected};
constexpr int kStepCount = static_cast<int>(std::size(kDialSteps));
constexpr int kFailingStep = 6;  // right after kAuthenticate
constexpr int kNoFailure = kStepCount;

// A documentation address (RFC 5737): it is only ever shown, never contacted.
constexpr char kLinkAddress[] = "198.51.100.23";
constexpr std::string_view kSimulatedMark = "模拟";

// Whatever reaches the user names the link as simulated, even when a hand-edited
// phone book says only "PPPoE".
std::string MarkedAsSimulated(const std::string& text) {
    if (text.find(kSimulatedMark) != std::string::npos) {
        return text;
    }
    return text.empty() ? "(模拟)" : text + " (模拟)";
}

// Milliseconds of `elapsedMs` that count at the full rate: all of them when steady;
// otherwise the active stretches, plus a tenth of the quiet ones when bursty.
double FullRateMs(const TrafficPattern& pattern, std::int64_t elapsedMs) {
    const std::int64_t activeMs = std::int64_t{std::max(pattern.activeSeconds, 0)} * 1000;
    const std::int64_t quietMs = std::int64_t{std::max(pattern.quietSeconds, 0)} * 1000;
    const std::int64_t cycleMs = activeMs + quietMs;
    if (pattern.kind == TrafficPattern::Kind::kSteady || cycleMs == 0) {
        return static_cast<double>(elapsedMs);
    }
    const std::int64_t active =
        elapsedMs / cycleMs * activeMs + std::min(elapsedMs % cycleMs, activeMs);
    const double quiet = static_cast<double>(elapsedMs - active);
    return static_cast<double>(active) +
           (pattern.kind == TrafficPattern::Kind::kBursty ? quiet / 10.0 : 0.0);
}

constexpr std::int64_t kMaxCount = std::numeric_limits<std::int64_t>::max();

// Counters that ran longer than 64 bits can count stay at the largest count: a
// real counter never goes backwards by itself.
std::int64_t PatternBytes(double fullRateMs, double kBps) {
    const double bytes = std::floor(fullRateMs * kBps * 1024.0 / 1000.0);
    // 2^63 as a double; every double below it converts exactly.
    constexpr double kBeyondCount = 9223372036854775808.0;
    if (!(bytes > 0)) {
        return 0;
    }
    return bytes < kBeyondCount ? static_cast<std::int64_t>(bytes) : kMaxCount;
}

// The lowest number no entry uses yet.
std::string FreshEntryName(const std::vector<SimulatedEntry>& entries) {
    for (std::size_t number = 1;; ++number) {
        std::string name = "模拟连接 " + std::to_string(number);
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const SimulatedEntry& entry) { return entry.name == name; })) {
            return name;
        }
    }
}

void AddProblem(std::string& problems, const std::string& text) {
    if (!problems.empty()) {
        problems += '\n';
    }
    problems += text;
}

}  // namespace

SimulatedDialer::SimulatedDialer(const Clock& clock, std::filesystem::path phoneBookFile)
    : clock_(clock), defaultPhoneBook_(std::move(phoneBookFile)), phoneBook_(defaultPhoneBook_) {
    OpenPhoneBook();
}

bool SimulatedDialer::IsConnected() {
    return phase_ == Phase::kUp;
}

std::string SimulatedDialer::EntryName() {
    return entryName_;
}
std::string SimulatedDialer::EntryUserName() {
    return userName_;
}
void SimulatedDialer::SetEntryUserName(const std::string& name) {
    userName_ = name;
}
std::string SimulatedDialer::EntryPassword() {
    return password_;
}
void SimulatedDialer::SetEntryPassword(const std::string& password) {
    password_ = password;
}

std::string SimulatedDialer::PhoneBook() {
    return phoneBook_.string();
}

void SimulatedDialer::SetPhoneBook(const std::string& path) {
    phoneBook_ = path;
    OpenPhoneBook();
}

std::string SimulatedDialer::DefaultPhoneBook() {
    return defaultPhoneBook_.string();
}

int SimulatedDialer::EntryCount() {
    return static_cast<int>(entries_.size());
}

std::string SimulatedDialer::EntryNameAt(int index) {
    if (index < 0 || index >= EntryCount()) {
        return {};
    }
    return entries_[static_cast<std::size_t>(index)].name;
}

std::string SimulatedDialer::DeviceType() {
    if (phase_ != Phase::kDown) {
        return MarkedAsSimulated(link_.deviceType);
    }
    const SimulatedEntry* selected = FindEntry(entryName_);
    return selected != nullptr ? MarkedAsSimulated(selected->deviceType) : std::string{};
}

std::string SimulatedDialer::IPAddress() {
    if (phase_ != Phase::kUp || NowMs() - upSinceMs_ < addressAfterSeconds_ * std::int64_t{1000}) {
        return {};
    }
    return kLinkAddress;
}

std::int64_t SimulatedDialer::BytesReceived() {
    return CurrentCounters().received;
}
std::int64_t SimulatedDialer::BytesSent() {
    return CurrentCounters().sent;
}

void SimulatedDialer::Connect() {
    if (phase_ != Phase::kDown) {
        return;
    }
    const SimulatedEntry* entry = FindEntry(entryName_);
    link_ = entry != nullptr ? *entry : SimulatedEntry{};
    failAtStep_ = kNoFailure;
    if (entry == nullptr) {
        failAtStep_ = 0;
        failureMessage_ = "没有选择要拨号的模拟连接";
    } else if (scriptedFailure_) {
        // A script is the test's own words, passed on exactly.
        failAtStep_ = kFailingStep;
        failureMessage_ = *scriptedFailure_;
    } else if (!entry->failure.empty()) {
        failAtStep_ = kFailingStep;
        failureMessage_ = MarkedAsSimulated(entry->failure);
    }
    scriptedFailure_.reset();
    phase_ = Phase::kDialing;
    dialStartMs_ = NowMs();
    stepsRaised_ = 0;
    AskForNextWakeUp();
}

void SimulatedDialer::HangUp() {
    TakeLinkDown();
}

void SimulatedDialer::LoadEntry(const std::string& name) {
    const SimulatedEntry* entry = FindEntry(name);
    entryName_ = entry != nullptr ? entry->name : std::string{};
    userName_ = entry != nullptr ? entry->userName : std::string{};
    password_ = entry != nullptr ? entry->password : std::string{};
    RaiseEntryLoaded();
}

void SimulatedDialer::SaveEntry(const std::string& name) {
    // Read first, so that what the user changed by hand since is kept.
    LoadPhoneBookFile();
    SimulatedEntry* entry = FindEntry(name);
    if (entry == nullptr) {
        AddProblem(phoneBookProblems_, "电话簿中没有连接“" + name + "”，用户名和密码未保存");
        return;
    }
    entry->userName = userName_;
    entry->password = password_;
    WritePhoneBook();
}

int SimulatedDialer::CreateEntry() {
    if (phoneBook_.empty()) {
        return 1;
    }
    LoadPhoneBookFile();
    SimulatedEntry entry;
    entry.name = FreshEntryName(entries_);
    entries_.push_back(std::move(entry));
    if (!WritePhoneBook()) {
        entries_.pop_back();
        return 1;
    }
    return 0;
}

// The entries are edited in the phone book file itself; what the user saves
// there counts once the file is read again.
void SimulatedDialer::EditEntry(const std::string&) {
    OpenPhoneBook();
    if (openEditor_ && !phoneBook_.empty()) {
        openEditor_(phoneBook_);
    }
}

void SimulatedDialer::ReloadPhoneBook() {
    OpenPhoneBook();
    RaisePhoneBookChanged();
}

void SimulatedDialer::Poll() {
    // One event at a time, deciding afresh after each: a handler may hang up or
    // dial again from inside the event.
    while (RaiseNextDueEvent()) {
    }
    // Said once more after the handlers had their say: a wake-up that came early
    // finds nothing due and asks again for the rest.
    AskForNextWakeUp();
}

void SimulatedDialer::ScriptDialFailure(const std::string& message) {
    scriptedFailure_ = message;
}

void SimulatedDialer::ScriptLinkDrop() {
    TakeLinkDown();
}

void SimulatedDialer::ScriptAddressAfter(int seconds) {
    addressAfterSeconds_ = std::max(seconds, 0);
}

void SimulatedDialer::ScriptCounterReset() {
    fixedCounters_.reset();
    counterBase_ = {};
    counterStartMs_ = NowMs();
}

void SimulatedDialer::ScriptTraffic(const TrafficPattern& pattern) {
    counterBase_ = CurrentCounters();
    counterStartMs_ = NowMs();
    fixedCounters_.reset();
    scriptedTraffic_ = pattern;
}

void SimulatedDialer::ScriptCounters(std::int64_t received, std::int64_t sent) {
    fixedCounters_ = Counters{received, sent};
}

void SimulatedDialer::OpenPhoneBook() {
    LoadPhoneBookFile();
    // The selection follows the file: a changed password counts, a removed entry
    // is no longer selected.
    const std::string selected = entryName_;
    LoadEntry(selected);
}

void SimulatedDialer::LoadPhoneBookFile() {
    entries_.clear();
    phoneBookProblems_.clear();
    if (phoneBook_.empty()) {
        return;
    }
    std::error_code ignored;
    if (!std::filesystem::exists(phoneBook_, ignored)) {
        const Result<> created = WriteSimulatedPhoneBook(phoneBook_, SampleSimulatedEntries());
        if (!created) {
            // Demonstrations still work from the samples kept in memory.
            entries_ = SampleSimulatedEntries();
            phoneBookProblems_ = "无法创建电话簿文件：" + created.Error();
            return;
        }
    }
    entries_ = ReadSimulatedPhoneBook(phoneBook_, &phoneBookProblems_);
}

bool SimulatedDialer::WritePhoneBook() {
    const Result<> written = WriteSimulatedPhoneBook(phoneBook_, entries_);
    if (!written) {
        AddProblem(phoneBookProblems_, "无法写入电话簿文件：" + written.Error());
    }
    return written.Ok();
}

SimulatedEntry* SimulatedDialer::FindEntry(const std::string& name) {
    const auto found =
        std::find_if(entries_.begin(), entries_.end(),
                     [&](const SimulatedEntry& entry) { return entry.name == name; });
    return found != entries_.end() ? &*found : nullptr;
}

bool SimulatedDialer::RaiseNextDueEvent() {
    if (disconnectOwed_) {
        disconnectOwed_ = false;
        RaiseStateChanged(dial_state::kDisconnected);
        return true;
    }
    if (phase_ != Phase::kDialing || NowMs() < StepDueMs(stepsRaised_)) {
        return false;
    }
    const int step = stepsRaised_++;
    if (step == failAtStep_) {
        phase_ = Phase::kDown;
        RaiseDialError(failureMessage_);
        return true;
    }
    const int state = kDialSteps[step];
    if (state == dial_state::kConnected) {
        BringLinkUp();
    }
    RaiseStateChanged(state);
    return true;
}

void SimulatedDialer::AskForNextWakeUp() {
    if (disconnectOwed_) {
        RequestWakeUp(0);
    } else if (phase_ == Phase::kDialing) {
        RequestWakeUp(StepDueMs(stepsRaised_) - NowMs());
    } else {
        RequestWakeUp(std::nullopt);  // a link that is up changes only when told
    }
}

std::int64_t SimulatedDialer::StepDueMs(int step) const {
    const std::int64_t delayMs = std::int64_t{std::max(link_.connectDelaySeconds, 0)} * 1000;
    return dialStartMs_ + delayMs * step / (kStepCount - 1);
}

void SimulatedDialer::BringLinkUp() {
    phase_ = Phase::kUp;
    upSinceMs_ = NowMs();
    counterBase_ = {};
    counterStartMs_ = upSinceMs_;
}

void SimulatedDialer::TakeLinkDown() {
    if (phase_ == Phase::kDown) {
        return;
    }
    phase_ = Phase::kDown;
    disconnectOwed_ = true;
    AskForNextWakeUp();
}

SimulatedDialer::Counters SimulatedDialer::CurrentCounters() const {
    if (phase_ != Phase::kUp) {
        return {};
    }
    if (fixedCounters_) {
        return *fixedCounters_;
    }
    const TrafficPattern& pattern = scriptedTraffic_ ? *scriptedTraffic_ : link_.traffic;
    const double fullRateMs = FullRateMs(pattern, NowMs() - counterStartMs_);
    return {SaturatingAdd(counterBase_.received, PatternBytes(fullRateMs, pattern.downKBps)),
            SaturatingAdd(counterBase_.sent, PatternBytes(fullRateMs, pattern.upKBps))};
}

}  // namespace vornik
