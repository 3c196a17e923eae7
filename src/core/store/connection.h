// One connection to a log database: a SQLCipher file opened with the program's
// fixed passphrase. The file is checked before it is written to: a file that is
// not such a log (random bytes, a plain SQLite file, a log under another
// passphrase, another database under the log's passphrase) or that cannot be
// reached gives a connection that is not open, every statement on it yields the
// empty result, and the file is left as it was. A -wal beside the log that is not
// its own is moved aside. A damaged log is opened for reading only; damage found
// by a later statement also stops every write.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "store/error_log.h"
#include "store/log_check.h"
#include "store/sql_value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vornik {

// The current row of a running statement, read in place: a reader of many rows
// takes the typed values it needs without copying every field first.
class RowView {
  public:
    explicit RowView(sqlite3_stmt* statement) : statement_(statement) {}
    // Whole numbers as they are, reals rounded to the nearest, others 0.
    std::int64_t Integer(int column) const;
    // Numbers as they are; anything else 0.
    double Number(int column) const;
    // Null reads as the empty text.
    std::string Text(int column) const;

  private:
    sqlite3_stmt* statement_;
};

class Connection {
  public:
    enum class Mode {
        kExistingLog,     // the file must exist and hold the log tables
        kCreateIfMissing  // a missing or empty file becomes a new log; an older log
                          // is given the tables it lacks
    };

    // Never fails with an exception: test IsOpen() on the result.
    static std::unique_ptr<Connection> Open(const std::filesystem::path& path, Mode mode,
                                            const ErrorLog& log);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool IsOpen() const { return db_ != nullptr; }
    const std::filesystem::path& Path() const { return path_; }
    // Why the last open or statement failed, for messages and the trace. A write
    // refused because the file is damaged, or made while the log is not open,
    // says so in words for the user.
    const std::string& LastError() const { return lastError_; }
    // For the user at start-up: empty when the log opened sound; otherwise why it
    // did not open and what to do, or that it is damaged and takes no writes.
    const std::string& OpenFailure() const { return openFailure_; }

    // The first field of the first row; nothing when the statement gives no row.
    std::optional<Field> QueryValue(std::string_view sql, const SqlParams& params = {});
    // Every row in order; empty when the statement gives no row or fails.
    Rows QueryRows(std::string_view sql, const SqlParams& params = {});
    // Runs one statement; false (and a trace line) when the engine rejects it.
    bool ExecuteSql(std::string_view sql, const SqlParams& params = {});
    // Hands each row to `visit` as the statement steps; false when it fails.
    bool ForEachRow(std::string_view sql, const SqlParams& params,
                    const std::function<void(const RowView&)>& visit);
    // Runs `body` in one transaction: committed when it returns true, rolled back
    // otherwise or when the commit fails.
    bool InTransaction(const std::function<bool()>& body);
    // After an insert, the new row's id; after a change, how many rows it touched.
    std::int64_t LastInsertId() const;
    int Changes() const;

    // The look at every page of a log that opened sound runs beside the program,
    // so start-up costs the same for a small log and a big one. Once it found
    // damage: the text for the user, once; writes are refused from then on.
    std::optional<std::string> TakeDamageFound();
    // The look at the pages has finished, or never had to run.
    bool PagesChecked() const;

    void Close();
    sqlite3* Handle() { return db_; }

  private:
    Connection(std::filesystem::path path, const ErrorLog& log);
    bool OpenFile(Mode mode);
    // Makes a new log beside the file and renames it into place, so the file is
    // never a log half made.
    bool CreateNewLog();
    // Decides what of the file and its -wal may be opened; the verdict of the
    // file as it will be read.
    Verdict SettleWal(bool justCreated);
    // Keeps the reasons, traces, closes; always false.
    bool Refuse(const Verdict& verdict);
    void NoteDamage(int code);
    bool Run(std::string_view sql, const SqlParams& params, Rows* rows, bool firstRowOnly);
    bool Step(std::string_view sql, const SqlParams& params,
              const std::function<bool(sqlite3_stmt*)>& row);
    // The statement for `sql`, prepared on its first use and kept for the next:
    // the minute write and the totals run the same few statements all day.
    sqlite3_stmt* Prepared(std::string_view sql);
    void ForgetStatements();
    // `what` is kept for the caller; the trace also names the statement.
    void Fail(std::string_view what, std::string_view statement = {});

    std::filesystem::path path_;
    const ErrorLog& log_;
    sqlite3* db_ = nullptr;
    std::string lastError_;
    int lastCode_ = 0;  // the engine's code for the last failed statement
    std::string openFailure_;
    std::string notOpen_;  // the reason a statement fails while the log is not open
    // Found damaged, at open or by a statement since: reads go on, every write is
    // refused.
    bool damaged_ = false;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
    // The page check started at open, on a connection of its own.
    struct PageCheck;
    std::unique_ptr<PageCheck> pageCheck_;
    void StartPageCheck();
    // The file's identity while this connection is counted as having it open.
    std::optional<std::pair<std::uintmax_t, std::uintmax_t>> counted_;
};

}  // namespace vornik
