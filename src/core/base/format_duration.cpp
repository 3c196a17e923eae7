#include "base/format_duration.h"

#include <cstdio>

namespace vornik {

std::string FormatDuration(std::int64_t seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    const std::int64_t hours = seconds / 3600;
    const std::int64_t minutes = seconds % 3600 / 60;
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(seconds % 60));
    return buffer;
}

}  // namespace vornik
