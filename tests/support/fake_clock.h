#pragma once

#include <cstdint>

#include "base/clock.h"

namespace vornik::testing {

// A clock the test moves by hand. Advance moves wall time and the monotonic
// clock together; StepWall moves only the wall clock, as a time correction does.
class FakeClock : public Clock {
  public:
    explicit FakeClock(Moment start) : now_(start) {}

    Moment Now() const override { return now_; }
    std::int64_t MonotonicMs() const override { return monotonicMs_; }

    void Advance(std::int64_t seconds) {
        now_ = AddSeconds(now_, seconds);
        monotonicMs_ += seconds * 1000;
    }
    void AdvanceMs(std::int64_t ms) {
        monotonicMs_ += ms;
        wallRestMs_ += ms;
        now_ = AddSeconds(now_, wallRestMs_ / 1000);
        wallRestMs_ %= 1000;
    }
    void StepWall(std::int64_t seconds) { now_ = AddSeconds(now_, seconds); }
    void Set(Moment now) { now_ = now; }

  private:
    Moment now_;
    std::int64_t monotonicMs_ = 1'000'000;
    std::int64_t wallRestMs_ = 0;
};

}  // namespace vornik::testing
