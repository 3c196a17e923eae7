#include "store/log_check.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "store/error_log.h"
#include "store/schema.h"

namespace vornik {
namespace {

namespace fs = std::filesystem;

// Every log file, the live one, backups and exports alike, opens with this one
// passphrase, so files "protected like the program's log" can be exchanged.
constexpr const char* kKeyPragma = "PRAGMA key = 'vornik-diallog-2006-KX71P384BQRM29'";

// Below this much free room a write that failed is put down to a full disk.
constexpr unsigned long long kLowSpaceBytes = 64 * 1024;

// Runs `sql` to its end and keeps the first field of each row. The engine's code;
// `message` has its words when the code is not SQLITE_OK.
int Collect(sqlite3* db, const char* sql, std::vector<std::string>* firsts, std::string& message) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            if (firsts != nullptr) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
                firsts->emplace_back(text ? text : "");
            }
        }
        if (rc == SQLITE_DONE) {
            rc = SQLITE_OK;
        }
    }
    if (rc != SQLITE_OK) {
        message = sqlite3_errmsg(db);
    }
    sqlite3_finalize(statement);
    return rc;
}

// Interrupts the statements on `db` once `limit` has passed. The engine checks
// a whole b-tree in one step of its program, which a progress handler never
// sees; an interrupt from another thread stops it there too.
class Watchdog {
  public:
    Watchdog(sqlite3* db, std::chrono::seconds limit)
        : thread_([this, db, limit] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!finished_.wait_for(lock, limit, [this] { return done_; })) {
                  barked_ = true;
                  sqlite3_interrupt(db);
              }
          }) {}
    ~Watchdog() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        finished_.notify_one();
        thread_.join();
    }
    bool Barked() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return barked_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    bool barked_ = false;
    std::thread thread_;
};

// "file:" and the path with everything but letters, digits, "/" and "-._~" escaped,
// as SQLite reads URIs.
std::string FileUri(const fs::path& file, const char* query) {
    std::string uri = "file:";
    for (const unsigned char c : fs::absolute(file).string()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri.push_back(static_cast<char>(c));
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri.append(escaped);
        }
    }
    return uri + "?" + query;
}

fs::path WalOf(const fs::path& file) {
    return file.string() + "-wal";
}

bool StartsLikePlainSqlite(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char header[16] = {};
    in.read(header, sizeof header);
    return in && std::string(header, sizeof header) == std::string("SQLite format 3\0", 16);
}

bool Accessible(const fs::path& path, int mode) {
    return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

bool LittleSpaceLeft(const fs::path& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) {
        return false;
    }
    // Root may use the blocks kept back for it.
    const unsigned long long blocks = ::geteuid() == 0 ? info.f_bfree : info.f_bavail;
    return blocks * info.f_frsize < kLowSpaceBytes;
}

// Why the file system keeps `file` from being opened for reading and writing.
OpenProblem FileSystemProblem(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status)) {
        return OpenProblem::kNotAFile;
    }
    const fs::path folder = file.parent_path().empty() ? "." : file.parent_path();
    if (!fs::is_directory(folder, ec)) {
        return OpenProblem::kNoFolder;
    }
    if (exists && !Accessible(file, R_OK | W_OK)) {
        return OpenProblem::kNoPermission;
    }
    if (!Accessible(folder, W_OK | X_OK)) {
        return OpenProblem::kFolderReadOnly;
    }
    if (LittleSpaceLeft(folder)) {
        return OpenProblem::kDiskFull;
    }
    return OpenProblem::kOther;
}

std::string StampText(const Moment& m) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", m.year, m.month, m.day, m.hour,
                  m.minute, m.second);
    return text;
}

std::string Reason(const Verdict& verdict, const fs::path& file) {
    const std::string folder = file.parent_path().string();
    switch (verdict.problem) {
        case OpenProblem::kMissing:
            return "文件不存在";
        case OpenProblem::kNoFolder:
            return "文件夹 " + folder + " 不存在";
        case OpenProblem::kNotAFile: {
            std::error_code ec;
            return fs::is_directory(file, ec) ? "这是一个文件夹，不是记录文件" : "这不是普通文件";
        }
        case OpenProblem::kNoPermission:
            return "没有读写这个文件的权限";
        case OpenProblem::kFolderReadOnly:
            return "文件夹 " + folder + " 不可写（没有权限，或在只读的磁盘上）";
        case OpenProblem::kDiskFull:
            return "磁盘已满";
        case OpenProblem::kBusy:
            return "文件正被其他程序占用";
        case OpenProblem::kPlainSqlite:
            return "这是未加密的 SQLite 数据库，不是本程序的记录文件";
        case OpenProblem::kNotOurs:
            return "本程序的密钥读不出它：不是本程序的记录文件（可能是其他程序的加密数据库），"
                   "或文件已损坏";
        case OpenProblem::kNotALog:
            return "其中没有拨号记录，不是本程序的记录文件";
        case OpenProblem::kUnreadable:
            return "文件已损坏，无法读取";
        case OpenProblem::kDamaged:
            return "文件已损坏";
        case OpenProblem::kNone:
        case OpenProblem::kOther:
            break;
    }
    return "读写出错（" + verdict.detail + "）";
}

std::string Advice(OpenProblem problem) {
    switch (problem) {
        case OpenProblem::kNoPermission:
        case OpenProblem::kFolderReadOnly:
            return "请检查文件和文件夹的权限后重新启动本程序。";
        case OpenProblem::kDiskFull:
            return "请腾出磁盘空间后重新启动本程序。";
        case OpenProblem::kBusy:
            return "请关闭占用它的程序后重新启动本程序。";
        case OpenProblem::kNotAFile:
        case OpenProblem::kPlainSqlite:
        case OpenProblem::kNotALog:
            return "它未作改动；请把它移走，或用“恢复拨号记录”从备份恢复。";
        case OpenProblem::kNotOurs:
        case OpenProblem::kUnreadable:
        case OpenProblem::kDamaged:
            return "请用“恢复拨号记录”从备份恢复。";
        default:
            return "";
    }
}

}  // namespace

bool Verdict::AboutContent() const {
    switch (problem) {
        case OpenProblem::kPlainSqlite:
        case OpenProblem::kNotOurs:
        case OpenProblem::kNotALog:
        case OpenProblem::kUnreadable:
        case OpenProblem::kDamaged:
            return true;
        default:
            return false;
    }
}

sqlite3* OpenWithKey(const std::string& name, int flags, const fs::path& file, Verdict& verdict) {
    sqlite3* db = nullptr;
    // Each connection is used by one thread at a time (the page check has its own),
    // so the engine need not lock around every call.
    const int rc = sqlite3_open_v2(name.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (db != nullptr) {
        // Before the first read: a connection is let checkpoint only once the file
        // has passed its checks.
        sqlite3_db_config(db, kNoCheckpointOnClose, 1, nullptr);
    }
    if (rc != SQLITE_OK) {
        verdict = Diagnose(rc, db ? sqlite3_errmsg(db) : "cannot open the file", file);
        sqlite3_close_v2(db);
        return nullptr;
    }
    std::string message;
    std::vector<std::string> version;
    if (sqlite3_exec(db, kKeyPragma, nullptr, nullptr, nullptr) != SQLITE_OK) {
        verdict = {OpenProblem::kOther, "cannot set the log key"};
    } else if (Collect(db, "PRAGMA cipher_version", &version, message) != SQLITE_OK ||
               version.empty()) {
        // A plain SQLite library answers with no row and would write the log
        // unencrypted: refuse to go on.
        verdict = {OpenProblem::kOther,
                   "the SQLite library in use does not encrypt (no cipher_version)"};
    } else {
        return db;
    }
    sqlite3_close_v2(db);
    return nullptr;
}

Verdict ReadLogTables(sqlite3* db, const fs::path& file) {
    // The key is checked on the first read: a wrong passphrase, a damaged first
    // page and a foreign file all fail here with "file is encrypted or is not a
    // database".
    std::string message;
    std::vector<std::string> found;
    const int rc = Collect(db, kLogTableQuery, &found, message);
    if (rc != SQLITE_OK) {
        return Diagnose(rc, message, file);
    }
    if (found.empty()) {
        return {OpenProblem::kNotALog, "the file holds no call log"};
    }
    return {};
}

Verdict CheckLog(sqlite3* db, const fs::path& file, const ErrorLog& log, std::chrono::seconds limit,
                 const std::atomic<bool>* stop) {
    Verdict verdict = ReadLogTables(db, file);
    if (!verdict.Sound()) {
        return verdict;
    }
    std::string message;
    std::vector<std::string> findings;
    int rc = SQLITE_OK;
    bool outOfTime = false;
    {
        Watchdog watchdog(db, limit);
        rc = Collect(db, "PRAGMA quick_check", &findings, message);
        outOfTime = watchdog.Barked();
    }
    const bool stopped = stop != nullptr && stop->load();
    if (rc == SQLITE_INTERRUPT && (outOfTime || stopped)) {
        if (!stopped) {
            log.Write("database " + file.string() + ": the quick check was cut short after " +
                      std::to_string(limit.count()) + " s; the log is taken as sound");
        }
        return {};
    }
    if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB) {
        return {OpenProblem::kDamaged, message};
    }
    if (rc != SQLITE_OK) {
        return Diagnose(rc, message, file);
    }
    if (findings.size() == 1 && findings.front() == "ok") {
        return {};
    }
    verdict = {OpenProblem::kDamaged, "quick check:"};
    for (std::size_t i = 0; i < findings.size() && i < 4; ++i) {
        verdict.detail += " " + findings[i];
    }
    return verdict;
}

Verdict CheckFileAlone(const fs::path& file, const ErrorLog& log, bool pages) {
    // immutable: no locks, no -wal, no -shm; the file as it lies on the disk.
    Verdict verdict;
    sqlite3* db = OpenWithKey(FileUri(file, "immutable=1"), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                              file, verdict);
    if (db == nullptr) {
        return verdict;
    }
    verdict = pages ? CheckLog(db, file, log) : ReadLogTables(db, file);
    sqlite3_close_v2(db);
    return verdict;
}

std::string HiddenSiblingPattern(const fs::path& file, std::string_view tag) {
    const std::string name = "." + file.filename().string() + "." + std::string(tag) + "-XXXXXX";
    return (file.parent_path() / name).string();
}

Verdict CheckFileWithWal(const fs::path& file, const ErrorLog& log) {
    std::string pattern = HiddenSiblingPattern(file, "check");
    if (::mkdtemp(pattern.data()) == nullptr) {
        const int error = errno;
        return DiagnoseSystemError(error, "cannot make a folder to check the -wal in", file);
    }
    const fs::path folder = pattern;
    const fs::path copy = folder / file.filename();
    std::error_code ec;
    fs::copy_file(file, copy, ec);
    if (!ec) {
        fs::copy_file(WalOf(file), WalOf(copy), ec);
    }
    Verdict verdict;
    if (ec) {
        verdict = DiagnoseSystemError(ec.value(),
                                      "cannot copy the log to check it: " + ec.message(), file);
    } else if (sqlite3* db = OpenWithKey(copy.string(), SQLITE_OPEN_READONLY, file, verdict)) {
        verdict = CheckLog(db, file, log);
        sqlite3_close_v2(db);
    }
    fs::remove_all(folder, ec);
    return verdict;
}

bool WalHasFrames(const fs::path& file) {
    constexpr std::uintmax_t kWalHeaderBytes = 32;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(WalOf(file), ec);
    return !ec && size > kWalHeaderBytes;
}

bool OpenInAnotherProcess(const fs::path& file) {
    // Every connection holds a read lock on this byte of the -shm while it has the
    // log open (UNIX_SHM_DMS in SQLite's unix VFS).
    constexpr off_t kDeadManSwitch = 128;
    const int fd = ::open((file.string() + "-shm").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kDeadManSwitch;
    lock.l_len = 1;
    const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

Verdict MoveWalAside(const fs::path& file, fs::path& movedWal) {
    const std::string stamp = StampText(SystemClock().Now());
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string from = file.string() + suffix;
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(from, ec))) {
            continue;
        }
        std::string to = from + "." + stamp;
        for (int n = 2; fs::exists(fs::symlink_status(to, ec)); ++n) {
            to = from + "." + stamp + "-" + std::to_string(n);
        }
        if (::rename(from.c_str(), to.c_str()) != 0) {
            const int error = errno;
            return DiagnoseSystemError(error, "cannot move " + from + " aside", file);
        }
        if (std::string_view(suffix) == "-wal") {
            movedWal = to;
        }
    }
    return {};
}

Verdict Diagnose(int code, std::string detail, const fs::path& file) {
    switch (code & 0xff) {
        case SQLITE_FULL:
            return {OpenProblem::kDiskFull, std::move(detail)};
        case SQLITE_NOTADB:
            return {StartsLikePlainSqlite(file) ? OpenProblem::kPlainSqlite : OpenProblem::kNotOurs,
                    std::move(detail)};
        case SQLITE_CORRUPT:
            return {OpenProblem::kUnreadable, std::move(detail)};
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return {OpenProblem::kBusy, std::move(detail)};
        case SQLITE_CANTOPEN:
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_IOERR:
        case SQLITE_AUTH:
            return {FileSystemProblem(file), std::move(detail)};
        default:
            return {OpenProblem::kOther, std::move(detail)};
    }
}

Verdict DiagnoseSystemError(int error, std::string detail, const fs::path& file) {
    detail += ": " + std::generic_category().message(error);
    if (error == ENOSPC || error == EDQUOT) {
        return {OpenProblem::kDiskFull, std::move(detail)};
    }
    if (error == EROFS) {
        return {OpenProblem::kFolderReadOnly, std::move(detail)};
    }
    return {FileSystemProblem(file), std::move(detail)};
}

std::string NotOpenText(const Verdict& verdict, const fs::path& file) {
    return "无法打开拨号记录 " + file.string() + "：" + Reason(verdict, file);
}

std::string StartUpText(const Verdict& verdict, const fs::path& file) {
    if (verdict.problem == OpenProblem::kDamaged) {
        return "拨号记录 " + file.string() +
               " 已损坏：已有的记录仍可查看，但已停止写入，以后的通话不会被记录。" +
               Advice(verdict.problem);
    }
    return NotOpenText(verdict, file) + "。" + Advice(verdict.problem) +
           "程序继续运行，但设置无法读取，通话也不会被记录。";
}

}  // namespace vornik
