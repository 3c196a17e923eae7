#include "base/moment.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace vornik {
namespace {

using std::chrono::sys_days;

sys_days DaysOf(const Moment& m) {
    return sys_days{std::chrono::year{m.year} / std::chrono::month{static_cast<unsigned>(m.month)} /
                    std::chrono::day{static_cast<unsigned>(m.day)}};
}

std::int64_t SecondOfDay(const Moment& m) {
    return m.hour * 3600 + m.minute * 60 + m.second;
}

Moment FromDaysAndSeconds(sys_days days, std::int64_t secondOfDay) {
    const std::chrono::year_month_day ymd{days};
    Moment m;
    m.year = static_cast<int>(ymd.year());
    m.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    m.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    m.hour = static_cast<int>(secondOfDay / 3600);
    m.minute = static_cast<int>(secondOfDay % 3600 / 60);
    m.second = static_cast<int>(secondOfDay % 60);
    return m;
}

// Reads exactly `width` decimal digits at `pos`.
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t width) {
    if (pos + width > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = pos; i < pos + width; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool CharAt(std::string_view text, std::size_t pos, char c) {
    return pos < text.size() && text[pos] == c;
}

}  // namespace

// Written by hand rather than with printf: the texts are made every second and
// every minute, and for every row a report prints.
std::string MomentText(const Moment& m) {
    const auto twoDigits = [](int value) { return value >= 0 && value <= 99; };
    if (m.year < 0 || m.year > 9999 || !twoDigits(m.month) || !twoDigits(m.day) ||
        !twoDigits(m.hour) || !twoDigits(m.minute) || !twoDigits(m.second)) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", m.year, m.month,
                      m.day, m.hour, m.minute, m.second);
        return buffer;
    }
    std::string text = "0000-00-00 00:00:00";
    const auto put = [&text](std::size_t at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10) {
            text[at + static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
        }
    };
    put(0, m.year, 4);
    put(5, m.month, 2);
    put(8, m.day, 2);
    put(11, m.hour, 2);
    put(14, m.minute, 2);
    put(17, m.second, 2);
    return text;
}

std::string IsoLocalText(const Moment& m) {
    std::tm local{};
    local.tm_year = m.year - 1900;
    local.tm_mon = m.month - 1;
    local.tm_mday = m.day;
    local.tm_hour = m.hour;
    local.tm_min = m.minute;
    local.tm_sec = m.second;
    local.tm_isdst = -1;
    long offset = 0;
    if (std::mktime(&local) != static_cast<std::time_t>(-1)) {
        offset = local.tm_gmtoff;
    }
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[40];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    std::string text = MomentText(m);
    text[10] = 'T';
    return text + zone;
}

std::string DateText(const Moment& m) {
    return MomentText(m).substr(0, 10);
}

std::string TimeOfDayText(const Moment& m) {
    return MomentText(m).substr(11);
}

std::string DayStartText(const Moment& m) {
    return DateText(m) + " 00:00:00";
}

std::string DayEndText(const Moment& m) {
    return DateText(m) + " 23:59:59";
}

std::optional<Moment> ParseMoment(std::string_view text) {
    if (text.size() != 10 && text.size() != 16 && text.size() != 19) {
        return std::nullopt;
    }
    const auto year = Digits(text, 0, 4);
    const auto month = Digits(text, 5, 2);
    const auto day = Digits(text, 8, 2);
    if (!year || !month || !day || !CharAt(text, 4, '-') || !CharAt(text, 7, '-')) {
        return std::nullopt;
    }
    Moment m{*year, *month, *day, 0, 0, 0};
    if (text.size() > 10) {
        const auto time = ParseTimeOfDay(text.substr(11));
        if (!CharAt(text, 10, ' ') || !time) {
            return std::nullopt;
        }
        m.hour = *time / 3600;
        m.minute = *time % 3600 / 60;
        m.second = *time % 60;
    }
    if (!IsValidMoment(m)) {
        return std::nullopt;
    }
    return m;
}

std::optional<int> ParseTimeOfDay(std::string_view text) {
    if (text.size() != 5 && text.size() != 8) {
        return std::nullopt;
    }
    const auto hour = Digits(text, 0, 2);
    const auto minute = Digits(text, 3, 2);
    if (!hour || !minute || !CharAt(text, 2, ':') || *hour > 23 || *minute > 59) {
        return std::nullopt;
    }
    int second = 0;
    if (text.size() == 8) {
        const auto s = Digits(text, 6, 2);
        if (!s || !CharAt(text, 5, ':') || *s > 59) {
            return std::nullopt;
        }
        second = *s;
    }
    return *hour * 3600 + *minute * 60 + second;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) {
        return 29;
    }
    return kDays[month - 1];
}

bool IsValidMoment(const Moment& m) {
    return m.year >= 1 && m.year <= 9999 && m.month >= 1 && m.month <= 12 && m.day >= 1 &&
           m.day <= DaysInMonth(m.year, m.month) && m.hour >= 0 && m.hour <= 23 && m.minute >= 0 &&
           m.minute <= 59 && m.second >= 0 && m.second <= 59;
}

Moment AddMonths(const Moment& m, int months) {
    const int index = m.year * 12 + (m.month - 1) + months;
    Moment result = m;
    result.year = index / 12;
    result.month = index % 12 + 1;
    const int last = DaysInMonth(result.year, result.month);
    if (result.day > last) {
        result.day = last;
    }
    return result;
}

Moment AddDays(const Moment& m, int days) {
    return FromDaysAndSeconds(DaysOf(m) + std::chrono::days{days}, SecondOfDay(m));
}

Moment AddSeconds(const Moment& m, std::int64_t seconds) {
    const std::int64_t total = SecondOfDay(m) + seconds;
    std::int64_t dayShift = total / 86400;
    std::int64_t rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --dayShift;
    }
    return FromDaysAndSeconds(DaysOf(m) + std::chrono::days{dayShift}, rest);
}

Moment StartOfDay(const Moment& m) {
    return Moment{m.year, m.month, m.day, 0, 0, 0};
}

std::int64_t SecondsBetween(const Moment& a, const Moment& b) {
    return DaysBetween(a, b) * 86400 + SecondOfDay(b) - SecondOfDay(a);
}

std::int64_t DaysBetween(const Moment& a, const Moment& b) {
    return (DaysOf(b) - DaysOf(a)).count();
}

int DayOfWeek(const Moment& m) {
    return static_cast<int>(std::chrono::weekday{DaysOf(m)}.c_encoding());
}

bool IsWeekend(const Moment& m) {
    const int weekday = DayOfWeek(m);
    return weekday == 0 || weekday == 6;
}

}  // namespace vornik
