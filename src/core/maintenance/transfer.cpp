#include <sqlite3.h>

#include <string>
#include <system_error>
#include <unordered_set>

#include "maintenance/log_file.h"
#include "maintenance/log_maintenance.h"
#include "maintenance/replacement.h"
#include "store/connection.h"

namespace vornik {

namespace fs = std::filesystem;

namespace {

using Outcome = Result<CopyOutcome>;

constexpr const char* kReadCalls =
    "SELECT beginTime, endTime, entryName, deviceType, IpAddress, BytesIn, BytesOut, fee"
    " FROM diallog ORDER BY id";
constexpr const char* kInsertCall =
    "INSERT INTO diallog (beginTime, endTime, entryName, deviceType, IpAddress, BytesIn,"
    " BytesOut, fee) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
constexpr int kCallColumns = 8;

std::string TextAt(sqlite3_stmt* statement, int column) {
    const auto* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

// The begin moments the receiving log holds: a call is present when one of them
// is its own, to the second, whatever the entry. Held in memory because the log
// has no index that leads with the begin time.
Result<std::unordered_set<std::string>> BeginMoments(sqlite3* db) {
    using Moments = std::unordered_set<std::string>;
    auto statement = maintenance::Prepare(db, "SELECT beginTime FROM diallog");
    if (!statement) {
        return Result<Moments>::Failure(statement.Error());
    }
    Moments moments;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement->get())) == SQLITE_ROW) {
        moments.insert(TextAt(statement->get(), 0));
    }
    if (rc != SQLITE_DONE) {
        return Result<Moments>::Failure(maintenance::EngineError(db, "reading the begin times"));
    }
    return moments;
}

Outcome CopyEachCall(sqlite3* from, sqlite3* to) {
    auto present = BeginMoments(to);
    auto read = maintenance::Prepare(from, kReadCalls);
    auto insert = maintenance::Prepare(to, kInsertCall);
    if (!present || !read || !insert) {
        return Outcome::Failure(!present ? present.Error() : !read ? read.Error() : insert.Error());
    }
    CopyOutcome outcome;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(read->get())) == SQLITE_ROW) {
        if (!present.Value().insert(TextAt(read->get(), 0)).second) {
            ++outcome.alreadyPresent;
            continue;
        }
        sqlite3_reset(insert->get());
        for (int column = 0; column < kCallColumns; ++column) {
            sqlite3_bind_value(insert->get(), column + 1,
                               sqlite3_column_value(read->get(), column));
        }
        if (sqlite3_step(insert->get()) != SQLITE_DONE) {
            return Outcome::Failure(maintenance::EngineError(to, "adding a call"));
        }
        ++outcome.copied;
    }
    if (rc != SQLITE_DONE) {
        return Outcome::Failure(maintenance::EngineError(from, "reading the calls"));
    }
    return outcome;
}

// All the calls go in, or none: one transaction on the receiving log.
Outcome CopyCalls(const fs::path& giving, const fs::path& receiving,
                  const MaintenanceHooks& hooks) {
    auto from = maintenance::OpenLogFile(giving, false);
    auto to = maintenance::OpenLogFile(receiving, true);
    if (!from || !to) {
        return Outcome::Failure(!from ? from.Error() : to.Error());
    }
    if (auto begun = maintenance::Execute(to->get(), "BEGIN IMMEDIATE"); !begun) {
        return Outcome::Failure(begun.Error());
    }
    auto outcome = CopyEachCall(from->get(), to->get());
    Result<> done = outcome ? maintenance::Proceed(hooks, MaintenanceStep::kRowsCopied)
                            : Result<>::Failure(outcome.Error());
    done = done ? maintenance::Execute(to->get(), "COMMIT") : done;
    if (!done) {
        (void)maintenance::Execute(to->get(), "ROLLBACK");
        return Outcome::Failure(done.Error());
    }
    return outcome;
}

// A new log made the way the program makes its own, so it is complete or absent.
Result<> CreateEmptyLog(const fs::path& target, const ErrorLog& errors) {
    auto connection = Connection::Open(target, Connection::Mode::kCreateIfMissing, errors);
    if (!connection->IsOpen()) {
        return Result<>::Failure("cannot create " + target.string() + ": " +
                                 connection->LastError());
    }
    connection->Close();
    return Result<>::Success();
}

Outcome Traced(const ErrorLog& errors, const std::string& what, const std::string& reason) {
    return Outcome::Failure(maintenance::Traced(errors, what, reason).Error());
}

}  // namespace

Result<CopyOutcome> ExportLog(const fs::path& log, const fs::path& target, bool createIfMissing,
                              const ErrorLog& errors, const MaintenanceHooks& hooks) {
    const std::string what = "exporting to " + target.string();
    std::error_code error;
    if (!fs::exists(target, error)) {
        if (!createIfMissing) {
            return Traced(errors, what, "the file does not exist");
        }
        if (auto made = CreateEmptyLog(target, errors); !made) {
            return Traced(errors, what, made.Error());
        }
    } else if (auto sound = CheckLogFile(target, errors); !sound) {
        return Outcome::Failure(sound.Error());
    }
    auto outcome = CopyCalls(log, target, hooks);
    return outcome ? outcome : Traced(errors, what, outcome.Error());
}

Result<CopyOutcome> ImportLog(const fs::path& log, const fs::path& source, const ErrorLog& errors,
                              const MaintenanceHooks& hooks) {
    if (auto sound = CheckLogFile(source, errors); !sound) {
        return Outcome::Failure(sound.Error());
    }
    auto outcome = CopyCalls(source, log, hooks);
    return outcome ? outcome : Traced(errors, "importing from " + source.string(), outcome.Error());
}

}  // namespace vornik
