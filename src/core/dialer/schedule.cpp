#include "dialer/schedule.h"

namespace vornik {

bool ScheduleMatches(const std::optional<std::string>& enabled,
                     const std::optional<std::string>& hour,
                     const std::optional<std::string>& minute, const Moment& now) {
    return enabled.value_or("") == "1" && hour.value_or("") == std::to_string(now.hour) &&
           minute.value_or("") == std::to_string(now.minute);
}

}  // namespace vornik
