// Moments as the log stores them: local wall time written "yyyy-MM-dd HH:mm:ss",
// which sorts and compares as text. Arithmetic here is civil (calendar) arithmetic:
// a day is always 86400 seconds, as the stored texts carry no zone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vornik {

struct Moment {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const Moment&, const Moment&) = default;
    friend auto operator<=>(const Moment&, const Moment&) = default;
};

// "yyyy-MM-dd HH:mm:ss"
std::string MomentText(const Moment& m);
// "yyyy-MM-dd"
std::string DateText(const Moment& m);
// "HH:mm:ss"
std::string TimeOfDayText(const Moment& m);
// ISO 8601 with the local zone's offset at that moment, for programs:
// "2006-05-01T08:00:00+08:00". A wall time the zone skips or repeats takes the
// offset the C library chooses for it.
std::string IsoLocalText(const Moment& m);
// Day bounds: the date followed by " 00:00:00" or " 23:59:59".
std::string DayStartText(const Moment& m);
std::string DayEndText(const Moment& m);

// Reads "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm" or "yyyy-MM-dd" (midnight).
// Rejects anything else, including impossible dates such as 2023-02-29.
std::optional<Moment> ParseMoment(std::string_view text);
// Reads "HH:mm:ss" or "HH:mm" as seconds since midnight.
std::optional<int> ParseTimeOfDay(std::string_view text);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidMoment(const Moment& m);

// Calendar steps. Adding months keeps the day where the target month has it and
// clamps it to the month's last day otherwise (2024-03-31 minus one month is
// 2024-02-29). The time of day is kept.
Moment AddMonths(const Moment& m, int months);
Moment AddDays(const Moment& m, int days);
Moment AddSeconds(const Moment& m, std::int64_t seconds);
Moment StartOfDay(const Moment& m);

// Whole seconds from a to b, positive when b is later.
std::int64_t SecondsBetween(const Moment& a, const Moment& b);
// Calendar days from a's date to b's date, whatever the times of day.
std::int64_t DaysBetween(const Moment& a, const Moment& b);
// 0 Sunday .. 6 Saturday.
int DayOfWeek(const Moment& m);
bool IsWeekend(const Moment& m);

}  // namespace vornik
