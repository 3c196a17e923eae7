#pragma once

#include <cstdint>
#include <string>

namespace vornik {

// Seconds as hours:minutes:seconds, each part at least two digits; hours are not
// limited (360000 seconds give "100:00:00"). Negative counts read as 0.
std::string FormatDuration(std::int64_t seconds);

}  // namespace vornik
