// The timed dial and hang-up: a switch, an hour and a minute, compared as text
// with the present hour and minute written without a leading zero ("7" matches
// seven o'clock, "07" never does).
#pragma once

#include <optional>
#include <string>

#include "base/moment.h"

namespace vornik {

bool ScheduleMatches(const std::optional<std::string>& enabled,
                     const std::optional<std::string>& hour,
                     const std::optional<std::string>& minute, const Moment& now);

}  // namespace vornik
