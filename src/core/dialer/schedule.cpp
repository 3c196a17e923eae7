#include "dialer/schedule.h"

#include "store/settings_store.h"

namespace vornik {

bool TimedAction::Matches(const Moment& now) const {
    return on && hour == std::to_string(now.hour) && minute == std::to_string(now.minute);
}

TimedAction ReadTimedAction(SettingsStore& settings, const SettingKey& on, const SettingKey& hour,
                            const SettingKey& minute) {
    return {settings.IsOn(on), settings.Text(hour), settings.Text(minute)};
}

}  // namespace vornik
