// The simulated phone book, a file the user edits by hand. Whatever its text:
// each problem is one short line, every entry it gives is one the dialer can
// run, and writing the entries gives a file that reads back to the same entries
// without a problem. Credentials typed by the user survive being written and
// read, whatever they hold apart from line breaks.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/text_excerpt.h"
#include "dialer/simulated_dialer.h"
#include "fuzz_check.h"
#include "metering/speed_meter.h"

namespace vornik {
namespace {

constexpr double kMaxKBps = SpeedMeter::kMaxBytesPerSecond / 1024;
// The longest reason with a quoted excerpt, the file name and the line number.
constexpr std::size_t kLongestProblem = 4 * kExcerptCharacters + 200;

auto Fields(const SimulatedEntry& e) {
    return std::tuple(e.name, e.userName, e.password, e.deviceType, e.connectDelaySeconds,
                      e.traffic.kind, e.traffic.downKBps, e.traffic.upKBps, e.traffic.activeSeconds,
                      e.traffic.quietSeconds, e.failure);
}

bool Same(const std::vector<SimulatedEntry>& a, const std::vector<SimulatedEntry>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fields(a[i]) != Fields(b[i])) {
            return false;
        }
    }
    return true;
}

bool Runnable(const TrafficPattern& traffic) {
    const auto rate = [](double kBps) {
        return std::isfinite(kBps) && kBps >= 0 && kBps <= kMaxKBps;
    };
    return rate(traffic.downKBps) && rate(traffic.upKBps) && traffic.activeSeconds >= 0 &&
           traffic.quietSeconds >= 0 &&
           (traffic.kind == TrafficPattern::Kind::kSteady ||
            traffic.activeSeconds + std::int64_t{traffic.quietSeconds} > 0);
}

void CheckProblems(const std::string& problems) {
    std::string_view rest = problems;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        FUZZ_CHECK(rest.substr(0, end).size() <= kLongestProblem);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
}

void CheckExcerpt(std::string_view text) {
    constexpr std::string_view kEllipsis = "…";
    const std::string excerpt = Excerpt(text);
    FUZZ_CHECK(excerpt.size() <= 4 * kExcerptCharacters);
    if (excerpt != text) {
        FUZZ_CHECK(excerpt.ends_with(kEllipsis));
        FUZZ_CHECK(text.starts_with(std::string_view(excerpt).substr(0, excerpt.size() - 3)));
    }
}

// What a value becomes in the file: it cannot span lines.
std::string WithoutLineBreaks(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace
}  // namespace vornik

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornik;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckExcerpt(text);

    std::string problems;
    std::vector<SimulatedEntry> entries =
        ParseSimulatedPhoneBook(text, "simulated-phonebook.txt", &problems);
    CheckProblems(problems);
    for (const SimulatedEntry& entry : entries) {
        FUZZ_CHECK(!entry.name.empty());
        FUZZ_CHECK(entry.connectDelaySeconds >= 0);
        FUZZ_CHECK(Runnable(entry.traffic));
    }

    std::string again;
    FUZZ_CHECK(
        Same(ParseSimulatedPhoneBook(SimulatedPhoneBookText(entries), "x", &again), entries));
    FUZZ_CHECK(again.empty());

    // The input as credentials the user typed into the first entry.
    if (!entries.empty()) {
        const std::size_t split = text.find('\t');
        entries[0].userName = std::string(text.substr(0, split));
        entries[0].password =
            split == std::string_view::npos ? "" : std::string(text.substr(split + 1));
        const std::vector<SimulatedEntry> saved =
            ParseSimulatedPhoneBook(SimulatedPhoneBookText(entries), "x", &again);
        FUZZ_CHECK(again.empty());
        FUZZ_CHECK(saved.size() == entries.size());
        FUZZ_CHECK(saved[0].userName == WithoutLineBreaks(entries[0].userName));
        FUZZ_CHECK(saved[0].password == WithoutLineBreaks(entries[0].password));
    }
    return 0;
}
