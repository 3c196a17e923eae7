#include "store/connection.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "store/schema.h"

namespace vornik {
namespace {

namespace fs = std::filesystem;

using FileId = std::pair<std::uintmax_t, std::uintmax_t>;  // device, inode

std::optional<FileId> IdOf(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileId{info.st_dev, info.st_ino};
}

// How many connections of this process have each log file open. A -wal that one
// of them is writing is live: it is neither checked nor moved aside.
std::mutex& OpenFilesMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<FileId, int>& OpenFiles() {
    static std::map<FileId, int> files;
    return files;
}

bool OpenInThisProcess(const fs::path& file) {
    const auto id = IdOf(file);
    const std::lock_guard<std::mutex> lock(OpenFilesMutex());
    return id && OpenFiles().count(*id) > 0;
}

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

bool IsBlank(std::string_view text) {
    for (const char c : text) {
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t' && c != ';') {
            return false;
        }
    }
    return true;
}

}  // namespace

struct Connection::PageCheck {
    std::mutex mutex;  // guards `db` against the close that interrupts it
    sqlite3* db = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    Verdict verdict;  // written by the worker before `done`
    bool taken = false;
    std::thread worker;
};

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
    const fs::file_status status = fs::status(path_, ec);
    const bool missing = status.type() == fs::file_type::not_found;
    if (ec && !missing) {
        return Refuse(DiagnoseSystemError(ec.value(), "cannot look at the file", path_));
    }
    if (!missing && !fs::is_regular_file(status)) {
        return Refuse({OpenProblem::kNotAFile, "not a regular file"});
    }
    // Only nothing, or an empty file, becomes a new log: anything else without the
    // log's tables is somebody's data.
    const bool empty = !missing && fs::file_size(path_, ec) == 0 && !ec;
    if (missing || empty) {
        if (mode == Mode::kExistingLog) {
            return Refuse({missing ? OpenProblem::kMissing : OpenProblem::kNotALog,
                           missing ? "no such log file" : "the file is empty"});
        }
        if (!CreateNewLog()) {
            return false;
        }
    }
    // Another connection to the file is writing its -wal: that -wal is the file's
    // own, and the file was checked when that connection opened it.
    const bool live = OpenInThisProcess(path_) || OpenInAnotherProcess(path_);
    const bool walToSettle = !live && WalHasFrames(path_);
    const Verdict settled = live ? Verdict{} : SettleWal(missing || empty);
    if (!settled.Sound() && settled.problem != OpenProblem::kDamaged) {
        return Refuse(settled);
    }
    // A damaged log is read through a connection that cannot write, nor
    // checkpoint into the file.
    bool damaged = settled.problem == OpenProblem::kDamaged;
    Verdict verdict;
    db_ = OpenWithKey(path_.string(), damaged ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, path_,
                      verdict);
    if (db_ == nullptr) {
        return Refuse(verdict);
    }
    sqlite3_busy_timeout(db_, 2000);
    // Room for a month of a big log's index and rows (1 KiB pages): without it a
    // month view decrypts every page again each time it is read. The cache only
    // fills as pages are read.
    sqlite3_exec(db_, "PRAGMA cache_size = -8192", nullptr, nullptr, nullptr);
    // SQLite opens a file it may not write for reading only, without a word.
    if (!damaged && sqlite3_db_readonly(db_, "main") == 1) {
        return Refuse({OpenProblem::kNoPermission, "the file may not be written"});
    }
    verdict = live ? CheckLog(db_, path_, log_) : ReadLogTables(db_, path_);
    if (!verdict.Sound() && verdict.problem != OpenProblem::kDamaged) {
        return Refuse(verdict);
    }
    if (damaged || verdict.problem == OpenProblem::kDamaged) {
        damaged_ = true;
        openFailure_ = StartUpText({OpenProblem::kDamaged, {}}, path_);
        log_.Write("database " + path_.string() + ": damaged (" +
                   (damaged ? settled.detail : verdict.detail) + "); no writes to it");
    } else {
        if (!Run("PRAGMA journal_mode = WAL", {}, nullptr, false)) {
            return Refuse(Diagnose(lastCode_, lastError_, path_));
        }
        if (mode == Mode::kCreateIfMissing) {
            if (const Result<> schema = EnsureLogSchema(*this); !schema) {
                return Refuse(Diagnose(lastCode_, schema.Error(), path_));
            }
        }
        // Sound: a tidy close may fold the -wal into the file again.
        sqlite3_db_config(db_, kNoCheckpointOnClose, 0, nullptr);
        // A -wal that was settled had every page checked; a new log needs none.
        if (!walToSettle && !missing && !empty && !live) {
            StartPageCheck();
        }
    }
    if ((counted_ = IdOf(path_))) {
        const std::lock_guard<std::mutex> lock(OpenFilesMutex());
        ++OpenFiles()[*counted_];
    }
    return true;
}

bool Connection::CreateNewLog() {
    std::string pattern = HiddenSiblingPattern(path_, "new");
    // mkstemp makes the file 0600: the owner's alone from its first byte, and
    // SQLite gives the log's -wal and -shm the mode of the log.
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        const int error = errno;
        return Refuse(DiagnoseSystemError(error, "cannot create the file", path_));
    }
    ::close(fd);
    const fs::path made = pattern;
    Verdict verdict;
    {
        Connection fresh(made, log_);
        fresh.db_ = OpenWithKey(made.string(), SQLITE_OPEN_READWRITE, path_, verdict);
        // The tables are written before the switch to WAL, so that closing leaves
        // them all in the file itself.
        if (fresh.db_ != nullptr) {
            const Result<> schema = EnsureLogSchema(fresh);
            if (!schema || !fresh.Run("PRAGMA journal_mode = WAL", {}, nullptr, false)) {
                verdict =
                    Diagnose(fresh.lastCode_, schema ? fresh.lastError_ : schema.Error(), path_);
            }
            // Made here and sound: closing may tidy its -wal away.
            sqlite3_db_config(fresh.db_, kNoCheckpointOnClose, 0, nullptr);
        }
    }
    if (verdict.Sound() && ::rename(made.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        verdict = DiagnoseSystemError(error, "cannot put the new log in place", path_);
    }
    std::error_code ignored;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        fs::remove(made.string() + suffix, ignored);
    }
    if (!verdict.Sound()) {
        fs::remove(made, ignored);
        return Refuse(verdict);
    }
    return true;
}

Verdict Connection::SettleWal(bool justCreated) {
    if (!WalHasFrames(path_)) {
        // The key and the tables now; the pages beside the program, once it runs.
        return justCreated ? Verdict{} : CheckFileAlone(path_, log_, false);
    }
    // A -wal left by a crash holds the last calls: the file with it is what the
    // program wrote, and it is replayed.
    const Verdict withWal = CheckFileWithWal(path_, log_);
    if (withWal.Sound() || !withWal.AboutContent()) {
        return withWal;
    }
    const Verdict alone = CheckFileAlone(path_, log_);
    if (!alone.Sound()) {
        return alone.AboutContent() ? withWal : alone;
    }
    // Sound alone but not with its -wal: the -wal came with another file (a backup
    // copied in after a crash). Replaying it would overwrite the log's pages.
    fs::path moved;
    if (Verdict move = MoveWalAside(path_, moved); !move.Sound()) {
        return move;
    }
    log_.Write("database " + path_.string() + ": its -wal is not its own (" + withWal.detail +
               "); moved aside to " + moved.string());
    return alone;
}

void Connection::StartPageCheck() {
    pageCheck_ = std::make_unique<PageCheck>();
    pageCheck_->worker = std::thread([check = pageCheck_.get(), file = path_, &log = log_] {
        Verdict verdict;
        if (sqlite3* db = OpenWithKey(file.string(), SQLITE_OPEN_READONLY, file, verdict)) {
            {
                const std::lock_guard<std::mutex> lock(check->mutex);
                check->db = db;
            }
            if (!check->stop) {
                verdict = CheckLog(db, file, log, std::chrono::seconds(120), &check->stop);
            }
            const std::lock_guard<std::mutex> lock(check->mutex);
            check->db = nullptr;
            sqlite3_close_v2(db);
        }
        check->verdict = std::move(verdict);
        check->done = true;
    });
}

bool Connection::PagesChecked() const {
    return !pageCheck_ || pageCheck_->done;
}

std::optional<std::string> Connection::TakeDamageFound() {
    if (!pageCheck_ || !pageCheck_->done || pageCheck_->taken) {
        return std::nullopt;
    }
    pageCheck_->taken = true;
    if (pageCheck_->verdict.problem != OpenProblem::kDamaged) {
        return std::nullopt;
    }
    damaged_ = true;
    sqlite3_db_config(db_, kNoCheckpointOnClose, 1, nullptr);
    openFailure_ = StartUpText(pageCheck_->verdict, path_);
    log_.Write("database " + path_.string() + ": damaged (" + pageCheck_->verdict.detail +
               "); no writes to it");
    return openFailure_;
}

bool Connection::Refuse(const Verdict& verdict) {
    openFailure_ = StartUpText(verdict, path_);
    notOpen_ = NotOpenText(verdict, path_);
    lastError_ = notOpen_;
    log_.Write("database " + path_.string() + ": not opened: " + verdict.detail);
    Close();
    return false;
}

void Connection::NoteDamage(int code) {
    if ((code & 0xff) != SQLITE_CORRUPT && (code & 0xff) != SQLITE_NOTADB) {
        return;
    }
    if (!damaged_) {
        damaged_ = true;
        // Newer libraries then leave the file as it is at close.
        sqlite3_db_config(db_, kNoCheckpointOnClose, 1, nullptr);
        log_.Write("database " + path_.string() + ": damaged; no more writes to it");
    }
    lastError_ = kDamagedWriteText;
}

void Connection::Fail(std::string_view what, std::string_view statement) {
    lastError_ = std::string(what);
    log_.Write("database " + path_.string() + ": " + lastError_ +
               (statement.empty() ? "" : " in: " + std::string(statement)));
}

sqlite3_stmt* Connection::Prepared(std::string_view sql) {
    const std::string key(sql);
    if (const auto found = statements_.find(key); found != statements_.end()) {
        sqlite3_reset(found->second);
        sqlite3_clear_bindings(found->second);
        return found->second;
    }
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    const int prepared =
        sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, &tail);
    if (prepared != SQLITE_OK) {
        lastCode_ = prepared;
        Fail(sqlite3_errmsg(db_), sql);
        NoteDamage(prepared);
        return nullptr;
    }
    const std::string_view rest(tail, static_cast<std::size_t>(sql.data() + sql.size() - tail));
    if (statement == nullptr || !IsBlank(rest)) {
        sqlite3_finalize(statement);
        Fail("not exactly one statement", sql);
        return nullptr;
    }
    // Statements are few and bound, never built from values; the bound keeps a
    // caller that did build them from growing the cache without end.
    constexpr std::size_t kMostStatements = 64;
    if (statements_.size() >= kMostStatements) {
        ForgetStatements();
    }
    statements_.emplace(key, statement);
    return statement;
}

void Connection::ForgetStatements() {
    for (auto& [sql, statement] : statements_) {
        sqlite3_finalize(statement);
    }
    statements_.clear();
}

// Steps the statement, handing each row to `row` until it returns false.
bool Connection::Step(std::string_view sql, const SqlParams& params,
                      const std::function<bool(sqlite3_stmt*)>& row) {
    if (db_ == nullptr) {
        lastError_ = notOpen_.empty() ? "拨号记录没有打开" : notOpen_;
        return false;
    }
    sqlite3_stmt* statement = Prepared(sql);
    if (statement == nullptr) {
        return false;
    }
    if (!BindAll(statement, params) ||
        sqlite3_bind_parameter_count(statement) != static_cast<int>(params.size())) {
        Fail("parameters do not match", sql);
        return false;
    }
    if (damaged_ && !sqlite3_stmt_readonly(statement)) {
        lastError_ = kDamagedWriteText;
        return false;
    }
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!row(statement)) {
            rc = SQLITE_DONE;
            break;
        }
    }
    // Reset at once, so a kept statement holds no read transaction open.
    sqlite3_reset(statement);
    if (rc != SQLITE_DONE) {
        lastCode_ = rc;
        Fail(sqlite3_errmsg(db_), sql);
        NoteDamage(rc);
        return false;
    }
    return true;
}

bool Connection::Run(std::string_view sql, const SqlParams& params, Rows* rows, bool firstRowOnly) {
    const bool done = Step(sql, params, [rows, firstRowOnly](sqlite3_stmt* statement) {
        if (rows == nullptr) {
            return true;
        }
        Row row;
        const int columns = sqlite3_column_count(statement);
        row.reserve(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            row.push_back(ColumnField(statement, c));
        }
        rows->push_back(std::move(row));
        return !firstRowOnly;
    });
    if (!done && rows != nullptr) {
        rows->clear();
    }
    return done;
}

bool Connection::ForEachRow(std::string_view sql, const SqlParams& params,
                            const std::function<void(const RowView&)>& visit) {
    return Step(sql, params, [&visit](sqlite3_stmt* statement) {
        visit(RowView(statement));
        return true;
    });
}

std::int64_t RowView::Integer(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
        case SQLITE_INTEGER:
            return sqlite3_column_int64(statement_, column);
        case SQLITE_NULL:
            return 0;
        default:
            return ColumnField(statement_, column).Integer();
    }
}

double RowView::Number(int column) const {
    const int type = sqlite3_column_type(statement_, column);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        return sqlite3_column_double(statement_, column);
    }
    return ColumnField(statement_, column).NumberOr0();
}

std::string RowView::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text != nullptr
               ? std::string(text,
                             static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
               : std::string();
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
    if (pageCheck_) {
        pageCheck_->stop = true;
        {
            const std::lock_guard<std::mutex> lock(pageCheck_->mutex);
            if (pageCheck_->db != nullptr) {
                sqlite3_interrupt(pageCheck_->db);
            }
        }
        pageCheck_->worker.join();
        pageCheck_.reset();
    }
    ForgetStatements();
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    if (counted_) {
        const std::lock_guard<std::mutex> lock(OpenFilesMutex());
        if (--OpenFiles()[*counted_] == 0) {
            OpenFiles().erase(*counted_);
        }
        counted_.reset();
    }
}

}  // namespace vornik
