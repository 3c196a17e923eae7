#include "metering/speed_meter.h"

#include <gtest/gtest.h>

#include <limits>

namespace vornik {
namespace {

class SpeedMeterTest : public ::testing::Test {
  protected:
    // One sample a second later than the last, with the link up.
    void Up(std::int64_t received, std::int64_t sent = 0, std::int64_t afterMs = 1000) {
        ms_ += afterMs;
        meter_.SampleSpeed(true, received, sent, ms_);
    }
    void Down() {
        ms_ += 1000;
        meter_.SampleSpeed(false, 0, 0, ms_);
    }

    SpeedMeter meter_;
    std::int64_t ms_ = 5000;
};

TEST_F(SpeedMeterTest, SamplesAreSmoothedByHalves) {
    Down();
    Up(10240);
    EXPECT_DOUBLE_EQ(meter_.NewestDown(), 5);
    Up(20480, 2048);
    EXPECT_DOUBLE_EQ(meter_.NewestDown(), 7.5);
    EXPECT_DOUBLE_EQ(meter_.NewestUp(), 1);
    EXPECT_EQ(meter_.CallBytesIn(), 20480);
    EXPECT_EQ(meter_.CallBytesOut(), 2048);
    Down();
    EXPECT_EQ(meter_.NewestDown(), 0);
    EXPECT_EQ(meter_.NewestUp(), 0);
}

TEST_F(SpeedMeterTest, ALateTickDividesByTheRealInterval) {
    Down();
    Up(20480, 0, 2000);  // 20 KB over two seconds is 10 KB/s, smoothed to 5
    EXPECT_DOUBLE_EQ(meter_.NewestDown(), 5);
}

TEST_F(SpeedMeterTest, ACounterThatGoesBackOrJumpsStartsANewBaseline) {
    Down();
    Up(10240);
    Up(20480);
    Up(1024);  // the link's counters were reset
    EXPECT_DOUBLE_EQ(meter_.NewestDown(), 7.5 / 2);
    EXPECT_EQ(meter_.CallBytesIn(), 20480);
    Up(3072);  // counted from the new baseline
    EXPECT_EQ(meter_.CallBytesIn(), 20480 + 2048);
    Up(3072 + 8'000'000'000);  // no link carries 8 GB in a second
    EXPECT_EQ(meter_.CallBytesIn(), 20480 + 2048);
    Up(3072 + 8'000'000'000 + 1024);
    EXPECT_EQ(meter_.CallBytesIn(), 20480 + 2048 + 1024);
}

TEST_F(SpeedMeterTest, TheRingWrapsAndTheGraphRunsOldestToNewest) {
    for (int i = 0; i < 99; ++i) {
        Down();
    }
    EXPECT_EQ(meter_.SpeedIndex(), 99);
    Up(10240, 3072);
    EXPECT_EQ(meter_.SpeedIndex(), 0);
    Up(10240, 6144);  // download 0 this second: smoothed 2.5, still drawn
    Up(10240, 9216);

    const auto columns = meter_.Columns(70);
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].x, 97);
    EXPECT_EQ(columns[2].x, 99);
    EXPECT_DOUBLE_EQ(columns[0].down, 5 * 560.0 / 70);
    EXPECT_DOUBLE_EQ(columns[0].total, (5 + 1.5) * 560.0 / 70);
}

TEST_F(SpeedMeterTest, ASlotWithoutDownloadDrawsNoColumn) {
    Down();
    Up(0, 6144);
    EXPECT_EQ(meter_.NewestDown(), 0);
    EXPECT_DOUBLE_EQ(meter_.NewestUp(), 3);
    EXPECT_TRUE(meter_.Columns(70).empty());
}

TEST_F(SpeedMeterTest, CallTotalsSaturateAndCountersFarApartAreAJump) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    // A back-end that found the link up with nearly all 64 bits counted.
    meter_.StartCall(kMax - 10, 0, true);
    Up(0);  // the counters were reset
    Up(1024);
    EXPECT_EQ(meter_.CallBytesIn(), kMax);
    Up(2048);
    EXPECT_EQ(meter_.CallBytesIn(), kMax);

    // Counters read as negative, then from one end of 64 bits to the other.
    meter_.StartCall(kMin + 5, kMin + 5, false);
    Up(kMax, kMin + 5 + 1024);
    EXPECT_EQ(meter_.CallBytesIn(), 0);
    EXPECT_EQ(meter_.CallBytesOut(), 1024);
    EXPECT_DOUBLE_EQ(meter_.NewestUp(), 0.5);
}

}  // namespace
}  // namespace vornik
