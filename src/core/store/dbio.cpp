#include "store/dbio.h"

#include "base/setting_keys.h"

namespace vornik {

Dbio::Dbio(std::filesystem::path databaseFile, const ErrorLog& log)
    : databaseFile_(std::move(databaseFile)), log_(log) {}

void Dbio::OpenDatabase() {
    // The earlier connection goes first: while it is open, the log's -wal is live
    // and the new connection would not check it.
    shared_.reset();
    std::error_code ec;
    const std::filesystem::path folder = databaseFile_.parent_path();
    if (!folder.empty() && std::filesystem::create_directories(folder, ec)) {
        // The folder of the call log is nobody else's business, whatever the umask.
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
    }
    shared_ = Connection::Open(databaseFile_, Connection::Mode::kCreateIfMissing, log_);
}

std::unique_ptr<Connection> Dbio::OpenDatabase(const std::filesystem::path& path,
                                               Connection::Mode mode) {
    return Connection::Open(path, mode, log_);
}

void Dbio::CloseDatabase() {
    shared_.reset();
}

Connection& Dbio::Shared() {
    if (!shared_) {
        OpenDatabase();
    }
    return *shared_;
}

std::optional<Field> Dbio::QueryValue(std::string_view sql, const SqlParams& params,
                                      Connection* connection) {
    return (connection ? *connection : Shared()).QueryValue(sql, params);
}

Rows Dbio::QueryRows(std::string_view sql, const SqlParams& params, Connection* connection) {
    return (connection ? *connection : Shared()).QueryRows(sql, params);
}

bool Dbio::ForEachRow(std::string_view sql, const SqlParams& params,
                      const std::function<void(const RowView&)>& visit) {
    return Shared().ForEachRow(sql, params, visit);
}

bool Dbio::ExecuteSql(std::string_view sql, const SqlParams& params, Connection* connection) {
    return (connection ? *connection : Shared()).ExecuteSql(sql, params);
}

Result<std::int64_t> Dbio::Insert(std::string_view sql, const SqlParams& params) {
    Connection& connection = Shared();
    if (!connection.ExecuteSql(sql, params)) {
        return Result<std::int64_t>::Failure(connection.LastError());
    }
    return connection.LastInsertId();
}

Result<int> Dbio::Change(std::string_view sql, const SqlParams& params) {
    Connection& connection = Shared();
    if (!connection.ExecuteSql(sql, params)) {
        return Result<int>::Failure(connection.LastError());
    }
    return connection.Changes();
}

ConfigValue Dbio::GetConfig(std::string_view group, std::string_view key) {
    const auto value = QueryValue(
        "SELECT propertyValue FROM config WHERE propertyType = ? AND propertyName = ? "
        "AND entryName = 'global'",
        {group, key});
    if (!value) {
        return std::nullopt;
    }
    return value->Text();
}

ConfigValue Dbio::GetConfig(const SettingKey& key) {
    return GetConfig(key.group, key.key);
}

bool Dbio::SaveConfig(std::string_view group, std::string_view key, std::string_view value) {
    Connection& connection = Shared();
    return connection.InTransaction([&] { return ReplaceConfig(connection, group, key, value); });
}

bool Dbio::ReplaceConfig(Connection& connection, std::string_view group, std::string_view key,
                         std::string_view value) {
    return connection.ExecuteSql(
               "DELETE FROM config WHERE propertyType = ? AND propertyName = ? "
               "AND entryName = 'global'",
               {group, key}) &&
           connection.ExecuteSql(
               "INSERT INTO config (entryName, propertyType, propertyName, propertyValue) "
               "VALUES ('global', ?, ?, ?)",
               {group, key, value});
}

bool Dbio::SaveConfig(const SettingKey& key, std::string_view value) {
    return SaveConfig(key.group, key.key, value);
}

}  // namespace vornik
