#include "base/panel_schedule.h"

#include <gtest/gtest.h>

namespace vornik {
namespace {

TEST(PanelSchedule, TheFirstSecondOfMinuteOneSixElevenOfTheCall) {
    const Moment begin{2006, 5, 10, 23, 58, 30};
    EXPECT_FALSE(PanelRefreshDue(begin, {2006, 5, 10, 23, 58, 31}));
    EXPECT_FALSE(PanelRefreshDue(begin, {2006, 5, 10, 23, 59, 0}));
    EXPECT_TRUE(PanelRefreshDue(begin, {2006, 5, 10, 23, 59, 1}));
    EXPECT_FALSE(PanelRefreshDue(begin, {2006, 5, 10, 23, 59, 2}));
    EXPECT_FALSE(PanelRefreshDue(begin, {2006, 5, 11, 0, 0, 1}));
    // Across midnight: minute 6 and minute 11.
    EXPECT_TRUE(PanelRefreshDue(begin, {2006, 5, 11, 0, 4, 1}));
    EXPECT_TRUE(PanelRefreshDue(begin, {2006, 5, 11, 0, 9, 1}));
}

TEST(PanelSchedule, ACallBegunJustBeforeABoundaryCountsIt) {
    EXPECT_TRUE(PanelRefreshDue({2006, 5, 10, 9, 0, 59}, {2006, 5, 10, 9, 1, 1}));
    EXPECT_FALSE(PanelRefreshDue({2006, 5, 10, 9, 0, 0}, {2006, 5, 10, 9, 0, 1}));
}

TEST(PanelSchedule, AClockSetBackBeforeTheCallNeverRefreshes) {
    EXPECT_FALSE(PanelRefreshDue({2006, 5, 10, 9, 0, 0}, {2006, 5, 10, 8, 56, 1}));
}

}  // namespace
}  // namespace vornik
