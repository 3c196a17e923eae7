#include "store/connection.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "store/schema.h"

namespace vornik {
namespace {

// Every log file, the live one, backups and exports alike, opens with this one
// passphrase, so files "protected like the program's log" can be exchanged.
constexpr const char* kKeyPragma = "PRAGMA key = 'vornik-diallog-2006-KX71P384BQRM29'";

bool BindAll(sqlite3_stmt* statement, const SqlParams& params) {
    int index = 1;
    for (const SqlParam& param : params) {
        int rc = SQLITE_OK;
        const auto& value = param.Value();
        if (const auto* whole = std::get_if<std::int64_t>(&value)) {
            rc = sqlite3_bind_int64(statement, index, *whole);
        } else if (const auto* real = std::get_if<double>(&value)) {
            rc = sqlite3_bind_double(statement, index, *real);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            rc = sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()),
                                   SQLITE_TRANSIENT);
        } else {
            rc = sqlite3_bind_null(statement, index);
        }
        if (rc != SQLITE_OK) {
            return false;
        }
        ++index;
    }
    return true;
}

Field ColumnField(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER:
            return Field(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
        case SQLITE_FLOAT:
            return Field(sqlite3_column_double(statement, column));
        case SQLITE_NULL:
            return Field();
        default: {
            const auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
            const int size = sqlite3_column_bytes(statement, column);
            return Field(std::string(text ? text : "", static_cast<std::size_t>(size)));
        }
    }
}

bool CreatePrivateFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    return fd >= 0 && ::close(fd) == 0;
}

bool IsBlank(std::string_view text) {
    for (const char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t' && c != ';') {
            return false;
        }
    }
    return true;
}

}  // namespace

Connection::Connection(std::filesystem::path path, const ErrorLog& log)
    : path_(std::move(path)), log_(log) {}

Connection::~Connection() {
    Close();
}

std::unique_ptr<Connection> Connection::Open(const std::filesystem::path& path, Mode mode,
                                             const ErrorLog& log) {
    std::unique_ptr<Connection> connection(new Connection(path, log));
    if (!connection->OpenFile(mode)) {
        connection->Close();
    }
    return connection;
}

bool Connection::OpenFile(Mode mode) {
    std::error_code ec;
    const bool exists = std::filesystem::exists(path_, ec);
    if (!exists && mode == Mode::kExistingLog) {
        Fail("no such log file");
        return false;
    }
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX;
    if (mode == Mode::kCreateIfMissing) {
        flags |= SQLITE_OPEN_CREATE;
        // A log holds the user's calls: a new one is the owner's alone from its
        // first byte, and SQLite gives its -wal and -shm files the mode of the log.
        if (!exists && !CreatePrivateFile(path_)) {
            Fail("cannot create the file: " + std::generic_category().message(errno));
            return false;
        }
    }
    if (sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        Fail(db_ ? sqlite3_errmsg(db_) : "cannot open the file");
        return false;
    }
    sqlite3_busy_timeout(db_, 2000);
    if (sqlite3_exec(db_, kKeyPragma, nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail("cannot set the log key");
        return false;
    }
    // A plain SQLite library answers PRAGMA cipher_version with no row and would
    // write the log unencrypted: refuse to go on.
    if (!QueryValue("PRAGMA cipher_version")) {
        Fail("the SQLite library in use does not encrypt (no cipher_version)");
        return false;
    }
    // The key is checked on the first read: a wrong passphrase and a damaged or
    // foreign file both fail here with "file is encrypted or is not a database".
    if (!Run("SELECT count(*) FROM sqlite_master", {}, nullptr, false)) {
        return false;
    }
    if (!Run("PRAGMA journal_mode = WAL", {}, nullptr, false)) {
        return false;
    }
    if (mode == Mode::kCreateIfMissing) {
        const Result<> schema = EnsureLogSchema(*this);
        if (!schema) {
            Fail(schema.Error());
        }
        return schema.Ok();
    }
    if (!HasLogSchema(*this)) {
        Fail("the file holds no call log");
        return false;
    }
    return true;
}

void Connection::Fail(std::string_view what, std::string_view statement) {
    lastError_ = std::string(what);
    log_.Write("database " + path_.string() + ": " + lastError_ +
               (statement.empty() ? "" : " in: " + std::string(statement)));
}

bool Connection::Run(std::string_view sql, const SqlParams& params, Rows* rows, bool firstRowOnly) {
    if (db_ == nullptr) {
        lastError_ = "the log is not open";
        return false;
    }
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, &tail) !=
        SQLITE_OK) {
        Fail(sqlite3_errmsg(db_), sql);
        return false;
    }
    const std::string_view rest(tail, static_cast<std::size_t>(sql.data() + sql.size() - tail));
    if (statement == nullptr || !IsBlank(rest)) {
        sqlite3_finalize(statement);
        Fail("not exactly one statement", sql);
        return false;
    }
    if (!BindAll(statement, params) ||
        sqlite3_bind_parameter_count(statement) != static_cast<int>(params.size())) {
        sqlite3_finalize(statement);
        Fail("parameters do not match", sql);
        return false;
    }
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (rows != nullptr) {
            Row row;
            const int columns = sqlite3_column_count(statement);
            row.reserve(static_cast<std::size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                row.push_back(ColumnField(statement, c));
            }
            rows->push_back(std::move(row));
            if (firstRowOnly) {
                rc = SQLITE_DONE;
                break;
            }
        }
    }
    if (rc != SQLITE_DONE) {
        Fail(sqlite3_errmsg(db_), sql);
        sqlite3_finalize(statement);
        if (rows != nullptr) {
            rows->clear();
        }
        return false;
    }
    sqlite3_finalize(statement);
    return true;
}

std::optional<Field> Connection::QueryValue(std::string_view sql, const SqlParams& params) {
    Rows rows;
    if (!Run(sql, params, &rows, true) || rows.empty() || rows.front().empty()) {
        return std::nullopt;
    }
    return rows.front().front();
}

Rows Connection::QueryRows(std::string_view sql, const SqlParams& params) {
    Rows rows;
    Run(sql, params, &rows, false);
    return rows;
}

bool Connection::ExecuteSql(std::string_view sql, const SqlParams& params) {
    return Run(sql, params, nullptr, false);
}

std::int64_t Connection::LastInsertId() const {
    return db_ != nullptr ? sqlite3_last_insert_rowid(db_) : 0;
}

int Connection::Changes() const {
    return db_ != nullptr ? sqlite3_changes(db_) : 0;
}

bool Connection::InTransaction(const std::function<bool()>& body) {
    if (!ExecuteSql("BEGIN IMMEDIATE")) {
        return false;
    }
    if (body() && ExecuteSql("COMMIT")) {
        return true;
    }
    ExecuteSql("ROLLBACK");
    return false;
}

void Connection::Close() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

}  // namespace vornik
