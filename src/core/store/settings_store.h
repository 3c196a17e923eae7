// The settings as the program reads them: each through its descriptor's rule, so
// "on", a number and a missing key mean the same thing to every reader.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/setting_keys.h"

namespace vornik {

class Dbio;
class ErrorLog;

class SettingsStore {
  public:
    explicit SettingsStore(Dbio& db) : db_(db) {}

    bool IsOn(const SettingKey& key);
    // Nothing when the stored text is no number.
    std::optional<double> Number(const SettingKey& key);
    std::string Text(const SettingKey& key);

    // Replaces the setting; false when it could not be stored.
    bool Save(const SettingKey& key, std::string_view value);
    bool SaveSwitch(const SettingKey& key, bool on) { return Save(key, on ? "1" : "0"); }

    // The trace, for failures the settings' users spare the person.
    const ErrorLog& Log() const;

  private:
    Dbio& db_;
};

}  // namespace vornik
