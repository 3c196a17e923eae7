#include "store/settings_store.h"

#include "store/dbio.h"

namespace vornik {

bool SettingsStore::IsOn(const SettingKey& key) {
    return ReadSwitch(key, db_.GetConfig(key));
}

std::optional<double> SettingsStore::Number(const SettingKey& key) {
    return ReadNumber(key, db_.GetConfig(key));
}

std::string SettingsStore::Text(const SettingKey& key) {
    return ReadText(key, db_.GetConfig(key));
}

bool SettingsStore::Save(const SettingKey& key, std::string_view value) {
    return db_.SaveConfig(key, value);
}

const ErrorLog& SettingsStore::Log() const {
    return db_.Log();
}

}  // namespace vornik
