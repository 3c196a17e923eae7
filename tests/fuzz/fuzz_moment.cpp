// Moments as the log stores them. A text that parses is a valid moment that
// prints back to a text parsing to the same moment (to the text itself in the
// full form); two moments, one on each side of the first line break, are as far
// apart as the calendar steps say; a billing period holds the day it is asked for.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "base/moment.h"
#include "fuzz_check.h"
#include "metering/pricing.h"

namespace vornik {
namespace {

std::optional<Moment> CheckMoment(std::string_view text) {
    const auto moment = ParseMoment(text);
    if (!moment) {
        return std::nullopt;
    }
    FUZZ_CHECK(IsValidMoment(*moment));
    FUZZ_CHECK(ParseMoment(MomentText(*moment)) == moment);
    FUZZ_CHECK(ParseMoment(DateText(*moment)) == StartOfDay(*moment));
    FUZZ_CHECK(MomentText(*moment).starts_with(text));
    return moment;
}

void CheckTimeOfDay(std::string_view text) {
    const auto second = ParseTimeOfDay(text);
    if (!second) {
        return;
    }
    FUZZ_CHECK(*second >= 0 && *second < 86400);
    char printed[16];
    std::snprintf(printed, sizeof printed, "%02d:%02d:%02d", *second / 3600, *second % 3600 / 60,
                  *second % 60);
    FUZZ_CHECK(ParseTimeOfDay(printed) == second);
    FUZZ_CHECK(std::string_view(printed).starts_with(text));
}

void CheckSteps(const Moment& a, const Moment& b) {
    const std::int64_t seconds = SecondsBetween(a, b);
    FUZZ_CHECK(SecondsBetween(b, a) == -seconds);
    FUZZ_CHECK(AddSeconds(a, seconds) == b);
    FUZZ_CHECK((seconds > 0) == (a < b));
    const std::int64_t days = DaysBetween(a, b);
    FUZZ_CHECK(DateText(AddDays(a, static_cast<int>(days))) == DateText(b));
    const int months = (b.year - a.year) * 12 + (b.month - a.month);
    const Moment stepped = AddMonths(a, months);
    FUZZ_CHECK(stepped.year == b.year && stepped.month == b.month);
    FUZZ_CHECK(stepped.day == std::min(a.day, DaysInMonth(b.year, b.month)));
    FUZZ_CHECK(DayOfWeek(a) >= 0 && DayOfWeek(a) <= 6);
    FUZZ_CHECK((DayOfWeek(b) - DayOfWeek(a) - days % 7 + 14) % 7 == 0);
}

void CheckBillingPeriod(const Moment& today, int day) {
    const Moment start = BillingPeriodStart(day, today);
    FUZZ_CHECK(start <= today);
    FUZZ_CHECK(SecondsBetween(start, today) < 31 * 86400);
    FUZZ_CHECK(start.hour == 0 && start.minute == 0 && start.second == 0);
}

}  // namespace
}  // namespace vornik

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vornik::CheckMoment(text);
    vornik::CheckTimeOfDay(text);
    const std::size_t split = text.find('\n');
    if (split == std::string_view::npos) {
        return 0;
    }
    const auto a = vornik::CheckMoment(text.substr(0, split));
    const auto b = vornik::CheckMoment(text.substr(split + 1));
    if (a && b) {
        vornik::CheckSteps(*a, *b);
        vornik::CheckBillingPeriod(*b, a->day);
    }
    return 0;
}
