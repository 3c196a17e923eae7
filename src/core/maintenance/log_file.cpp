#include "maintenance/log_file.h"

#include <sqlite3.h>

#include "store/error_log.h"
#include "store/log_check.h"

namespace vornik::maintenance {

namespace fs = std::filesystem;

void CloseDb::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

void FinalizeStatement::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

std::string EngineError(sqlite3* db, std::string_view what) {
    return std::string(what) + ": " + sqlite3_errmsg(db);
}

Result<Db> OpenLogFile(const fs::path& file, bool writable) {
    Verdict verdict;
    const int flags = writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    Db db(OpenWithKey(file.string(), flags, file, verdict));
    if (db) {
        verdict = ReadLogTables(db.get(), file);
    }
    if (!verdict.Sound()) {
        return Result<Db>::Failure(NotOpenText(verdict, file) + " (" + verdict.detail + ")");
    }
    // The session's minute write may hold the log for a moment.
    sqlite3_busy_timeout(db.get(), 5000);
    return db;
}

Result<Statement> Prepare(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) !=
        SQLITE_OK) {
        return Result<Statement>::Failure(EngineError(db, sql));
    }
    return Statement(raw);
}

Result<> Execute(sqlite3* db, std::string_view sql) {
    auto statement = Prepare(db, sql);
    if (!statement) {
        return Result<>::Failure(statement.Error());
    }
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(statement->get());
    }
    return rc == SQLITE_DONE ? Result<>::Success() : Result<>::Failure(EngineError(db, sql));
}

namespace {

Result<std::int64_t> QueryInteger(sqlite3* db, std::string_view sql) {
    auto statement = Prepare(db, sql);
    if (!statement) {
        return Result<std::int64_t>::Failure(statement.Error());
    }
    if (sqlite3_step(statement->get()) != SQLITE_ROW) {
        return Result<std::int64_t>::Failure(EngineError(db, sql));
    }
    return static_cast<std::int64_t>(sqlite3_column_int64(statement->get(), 0));
}

}  // namespace

Result<LogContents> ReadContents(sqlite3* db) {
    auto rows =
        QueryInteger(db,
                     "SELECT (SELECT count(*) FROM diallog) + (SELECT count(*) FROM config)"
                     " + (SELECT count(*) FROM holiday) + (SELECT count(*) FROM discounttime)");
    auto version = QueryInteger(db, "PRAGMA user_version");
    if (!rows || !version) {
        return Result<LogContents>::Failure(rows ? version.Error() : rows.Error());
    }
    return LogContents{*rows, *version};
}

Result<> CheckStructure(sqlite3* db) {
    auto tables = QueryInteger(db,
                               "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND"
                               " lower(name) IN ('diallog', 'config', 'holiday', 'discounttime')");
    if (!tables) {
        return Result<>::Failure(tables.Error());
    }
    if (*tables != 4) {
        return Result<>::Failure("holds " + std::to_string(*tables) + " of the log's four tables");
    }
    auto check = Prepare(db, "PRAGMA integrity_check");
    if (!check) {
        return Result<>::Failure(check.Error());
    }
    if (sqlite3_step(check->get()) != SQLITE_ROW) {
        return Result<>::Failure(EngineError(db, "integrity check"));
    }
    const auto* first = sqlite3_column_text(check->get(), 0);
    const std::string verdict = first ? reinterpret_cast<const char*>(first) : "";
    return verdict == "ok" ? Result<>::Success() : Result<>::Failure("integrity check: " + verdict);
}

Result<> Traced(const ErrorLog& errors, std::string_view operation, const std::string& reason) {
    errors.Write(std::string(operation) + ": " + reason);
    return Result<>::Failure(reason);
}

}  // namespace vornik::maintenance
