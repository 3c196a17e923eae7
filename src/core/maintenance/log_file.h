// Raw keyed connections for the maintenance operations. They bypass Connection
// on purpose: its opening looks (a -wal check that copies the file, the page
// check beside it) cost as much as the work here on a big log, and these
// operations make their own checks before they trust a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "base/result.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vornik {

class ErrorLog;

namespace maintenance {

struct CloseDb {
    void operator()(sqlite3* db) const;
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const;
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// Opens `file` with the program's key and checks that it holds the log's tables.
Result<Db> OpenLogFile(const std::filesystem::path& file, bool writable);

// What a faithful copy of a log keeps: the rows of its four tables and its schema
// version.
struct LogContents {
    std::int64_t rows = 0;
    std::int64_t version = 0;
    friend bool operator==(const LogContents&, const LogContents&) = default;
};
Result<LogContents> ReadContents(sqlite3* db);

// The four tables, then the engine's full integrity check.
Result<> CheckStructure(sqlite3* db);

Result<Statement> Prepare(sqlite3* db, std::string_view sql);
// Runs a statement that takes no parameters and gives no rows.
Result<> Execute(sqlite3* db, std::string_view sql);
// The engine's words for the last failure on `db`, prefixed with `what`.
std::string EngineError(sqlite3* db, std::string_view what);

// Traces `reason` and returns it as a failure.
Result<> Traced(const ErrorLog& errors, std::string_view operation, const std::string& reason);

}  // namespace maintenance
}  // namespace vornik
