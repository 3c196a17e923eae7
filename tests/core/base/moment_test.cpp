#include "base/moment.h"

#include <gtest/gtest.h>

namespace vornik {
namespace {

Moment At(const char* text) {
    return ParseMoment(text).value();
}

TEST(MomentTest, TextRoundTripsAndDayBounds) {
    const Moment m{2006, 5, 7, 9, 3, 4};
    EXPECT_EQ(MomentText(m), "2006-05-07 09:03:04");
    EXPECT_EQ(ParseMoment("2006-05-07 09:03:04"), m);
    EXPECT_EQ(DayStartText(m), "2006-05-07 00:00:00");
    EXPECT_EQ(DayEndText(m), "2006-05-07 23:59:59");
    EXPECT_EQ(ParseMoment("2006-05-07"), (Moment{2006, 5, 7, 0, 0, 0}));
}

TEST(MomentTest, RejectsImpossibleOrForeignText) {
    EXPECT_FALSE(ParseMoment("2023-02-29 00:00:00"));
    EXPECT_FALSE(ParseMoment("2006-13-01"));
    EXPECT_FALSE(ParseMoment("2006-05-07 24:00:00"));
    EXPECT_FALSE(ParseMoment("2006/05/07"));
    EXPECT_FALSE(ParseMoment("5/7/2006 9:03:04 AM"));
    EXPECT_FALSE(ParseMoment(""));
    EXPECT_TRUE(ParseMoment("2024-02-29 23:59:59"));
}

TEST(MomentTest, AddingMonthsClampsToTheLastDay) {
    EXPECT_EQ(AddMonths(At("2024-03-31 10:00:00"), -1), At("2024-02-29 10:00:00"));
    EXPECT_EQ(AddMonths(At("2023-03-31"), -1), At("2023-02-28"));
    EXPECT_EQ(AddMonths(At("2023-01-31"), 1), At("2023-02-28"));
    EXPECT_EQ(AddMonths(At("2006-12-21"), 1), At("2007-01-21"));
    EXPECT_EQ(AddMonths(At("2007-01-21"), -1), At("2006-12-21"));
    EXPECT_EQ(AddMonths(At("2006-05-15"), -25), At("2004-04-15"));
}

TEST(MomentTest, AddingDaysAndSecondsCrossesMonthsAndYears) {
    EXPECT_EQ(AddDays(At("2006-06-01"), -1), At("2006-05-31"));
    EXPECT_EQ(AddDays(At("2024-02-28 12:00:00"), 2), At("2024-03-01 12:00:00"));
    EXPECT_EQ(AddSeconds(At("2006-12-31 23:59:30"), 45), At("2007-01-01 00:00:15"));
    EXPECT_EQ(AddSeconds(At("2007-01-01 00:00:15"), -45), At("2006-12-31 23:59:30"));
}

TEST(MomentTest, DifferencesInSecondsAndCalendarDays) {
    EXPECT_EQ(SecondsBetween(At("2006-05-20 23:50:00"), At("2006-05-21 00:10:00")), 1200);
    EXPECT_EQ(SecondsBetween(At("2006-05-21 00:10:00"), At("2006-05-20 23:50:00")), -1200);
    // Calendar days count date changes, not 24-hour spans.
    EXPECT_EQ(DaysBetween(At("2006-05-20 23:59:59"), At("2006-05-21 00:00:00")), 1);
    EXPECT_EQ(DaysBetween(At("2006-05-21 00:00:00"), At("2006-05-21 23:59:59")), 0);
    EXPECT_EQ(DaysBetween(At("2006-12-30"), At("2007-01-02")), 3);
}

TEST(MomentTest, Weekdays) {
    EXPECT_EQ(DayOfWeek(At("2024-01-01")), 1);  // a Monday
    EXPECT_TRUE(IsWeekend(At("2006-05-21")));   // a Sunday
    EXPECT_TRUE(IsWeekend(At("2006-05-20")));   // a Saturday
    EXPECT_FALSE(IsWeekend(At("2006-05-24")));  // a Wednesday
}

TEST(MomentTest, TimeOfDay) {
    EXPECT_EQ(ParseTimeOfDay("22:00:00"), 22 * 3600);
    EXPECT_EQ(ParseTimeOfDay("06:30"), 6 * 3600 + 1800);
    EXPECT_FALSE(ParseTimeOfDay("25:00:00"));
}

}  // namespace
}  // namespace vornik
