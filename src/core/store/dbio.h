// Access to the log: the one shared connection to db/diallog.db that the program
// keeps open while it runs, second connections to other log files, and the
// settings rows of the `config` table.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/setting_keys.h"
#include "store/connection.h"
#include "store/error_log.h"
#include "store/sql_value.h"

namespace vornik {

class Dbio {
  public:
    Dbio(std::filesystem::path databaseFile, const ErrorLog& log);

    // Opens (creating on first run, with db/ the owner's alone) the shared
    // connection, replacing any earlier one. Test IsOpen() afterwards, and show
    // OpenFailure() when it is not empty.
    void OpenDatabase();
    // A second connection to another log file; it belongs to the caller.
    std::unique_ptr<Connection> OpenDatabase(
        const std::filesystem::path& path, Connection::Mode mode = Connection::Mode::kExistingLog);
    // Closes the shared connection; the next statement opens it again.
    void CloseDatabase();
    bool IsOpen() const { return shared_ && shared_->IsOpen(); }
    // For the user at start-up, in Chinese with the log's path: why the shared log
    // did not open and what to do, or that it is damaged and takes no more
    // writes (it is open for reading then). Empty when it opened sound.
    std::string OpenFailure() const { return shared_ ? shared_->OpenFailure() : std::string(); }

    // Without a connection these work on the shared one, opening it first when it
    // was never opened or was closed.
    std::optional<Field> QueryValue(std::string_view sql, const SqlParams& params = {},
                                    Connection* connection = nullptr);
    Rows QueryRows(std::string_view sql, const SqlParams& params = {},
                   Connection* connection = nullptr);
    // Damage the check of the shared log's pages found since it opened: the text
    // for the user, once.
    std::optional<std::string> TakeDamageFound() {
        return shared_ ? shared_->TakeDamageFound() : std::nullopt;
    }
    bool PagesChecked() const { return !shared_ || shared_->PagesChecked(); }
    // On the shared connection: each row handed to `visit` as it is read.
    bool ForEachRow(std::string_view sql, const SqlParams& params,
                    const std::function<void(const RowView&)>& visit);
    bool ExecuteSql(std::string_view sql, const SqlParams& params = {},
                    Connection* connection = nullptr);
    // On the shared connection: an insert gives the new row's id, a change the
    // number of rows it touched; a failure gives the engine's reason.
    Result<std::int64_t> Insert(std::string_view sql, const SqlParams& params = {});
    Result<int> Change(std::string_view sql, const SqlParams& params = {});

    ConfigValue GetConfig(std::string_view group, std::string_view key);
    ConfigValue GetConfig(const SettingKey& key);
    // Replaces the setting's row in one transaction; false when nothing changed.
    bool SaveConfig(std::string_view group, std::string_view key, std::string_view value);
    bool SaveConfig(const SettingKey& key, std::string_view value);
    // SaveConfig's delete and insert without a transaction of their own, for a
    // caller that saves many settings in one.
    static bool ReplaceConfig(Connection& connection, std::string_view group, std::string_view key,
                              std::string_view value);

    // The shared connection, opened first when absent.
    Connection& Shared();
    const std::filesystem::path& DatabaseFile() const { return databaseFile_; }
    const ErrorLog& Log() const { return log_; }

  private:
    std::filesystem::path databaseFile_;
    const ErrorLog& log_;
    std::unique_ptr<Connection> shared_;
};

}  // namespace vornik
