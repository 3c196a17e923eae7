// One connection to a log database: a SQLCipher file opened with the program's
// fixed passphrase. A file that is not such a log (random bytes, a plain SQLite
// file, a log under another passphrase) gives a connection that is not open, and
// every statement on it yields the empty result.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "store/error_log.h"
#include "store/sql_value.h"

struct sqlite3;

namespace vornik {

class Connection {
  public:
    enum class Mode {
        kExistingLog,     // the file must exist and hold the log tables
        kCreateIfMissing  // a missing file is created with the log schema
    };

    // Never fails with an exception: test IsOpen() on the result.
    static std::unique_ptr<Connection> Open(const std::filesystem::path& path, Mode mode,
                                            const ErrorLog& log);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool IsOpen() const { return db_ != nullptr; }
    const std::filesystem::path& Path() const { return path_; }
    // Why the last open or statement failed, for messages and the trace.
    const std::string& LastError() const { return lastError_; }

    // The first field of the first row; nothing when the statement gives no row.
    std::optional<Field> QueryValue(std::string_view sql, const SqlParams& params = {});
    // Every row in order; empty when the statement gives no row or fails.
    Rows QueryRows(std::string_view sql, const SqlParams& params = {});
    // Runs one statement; false (and a trace line) when the engine rejects it.
    bool ExecuteSql(std::string_view sql, const SqlParams& params = {});
    // Runs `body` in one transaction: committed when it returns true, rolled back
    // otherwise or when the commit fails.
    bool InTransaction(const std::function<bool()>& body);
    // After an insert, the new row's id; after a change, how many rows it touched.
    std::int64_t LastInsertId() const;
    int Changes() const;

    void Close();
    sqlite3* Handle() { return db_; }

  private:
    Connection(std::filesystem::path path, const ErrorLog& log);
    bool OpenFile(Mode mode);
    bool Run(std::string_view sql, const SqlParams& params, Rows* rows, bool firstRowOnly);
    // `what` is kept for the caller; the trace also names the statement.
    void Fail(std::string_view what, std::string_view statement = {});

    std::filesystem::path path_;
    const ErrorLog& log_;
    sqlite3* db_ = nullptr;
    std::string lastError_;
};

}  // namespace vornik
