#include "base/format_duration.h"

#include <gtest/gtest.h>

namespace vornik {
namespace {

TEST(FormatDurationTest, HoursMinutesAndSecondsOfAtLeastTwoDigits) {
    EXPECT_EQ(FormatDuration(0), "00:00:00");
    EXPECT_EQ(FormatDuration(59), "00:00:59");
    EXPECT_EQ(FormatDuration(60), "00:01:00");
    EXPECT_EQ(FormatDuration(3599), "00:59:59");
    EXPECT_EQ(FormatDuration(3725), "01:02:05");
    EXPECT_EQ(FormatDuration(86399), "23:59:59");
    EXPECT_EQ(FormatDuration(25 * 3600), "25:00:00");
    EXPECT_EQ(FormatDuration(100 * 3600), "100:00:00");
    EXPECT_EQ(FormatDuration(-5), "00:00:00");
}

}  // namespace
}  // namespace vornik
