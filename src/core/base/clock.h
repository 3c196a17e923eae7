// Time as the core sees it: local wall time for what is shown and logged, and a
// monotonic clock that also counts suspend for lengths and rates, so a clock
// correction during a call changes neither.
#pragma once

#include <cstdint>

#include "base/moment.h"

namespace vornik {

class Clock {
  public:
    virtual ~Clock() = default;
    // Local wall time.
    virtual Moment Now() const = 0;
    // Milliseconds on a clock that never steps and keeps counting in suspend.
    virtual std::int64_t MonotonicMs() const = 0;
};

// The machine's clocks: localtime and CLOCK_BOOTTIME.
class SystemClock : public Clock {
  public:
    Moment Now() const override;
    std::int64_t MonotonicMs() const override;
};

}  // namespace vornik
