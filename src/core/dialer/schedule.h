// The timed dial and hang-up: a switch, an hour and a minute, compared as text
// with the present hour and minute written without a leading zero ("7" matches
// seven o'clock, "07" never does).
#pragma once

#include <string>

#include "base/moment.h"
#include "base/setting_keys.h"

namespace vornik {

class SettingsStore;

struct TimedAction {
    bool on = false;
    std::string hour;
    std::string minute;

    bool Matches(const Moment& now) const;
};

TimedAction ReadTimedAction(SettingsStore& settings, const SettingKey& on, const SettingKey& hour,
                            const SettingKey& minute);

}  // namespace vornik
