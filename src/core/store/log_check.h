// Looks at a log file before the program writes to it: does the program's key open
// it, does it hold the log's tables, does the engine find damage in its pages, and
// does the -wal beside it belong to it. Every look is taken through a connection
// that cannot write, so a file that fails is never changed by the look. Also the
// words that tell the user why a log did not open, and what to do.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

struct sqlite3;

namespace vornik {

class ErrorLog;

enum class OpenProblem {
    kNone,
    kMissing,         // nothing there, and the caller wants an existing log
    kNoFolder,        // the folder it belongs in is missing, or is no folder
    kNotAFile,        // a folder, a device or a pipe stands where the log should be
    kNoPermission,    // the file may not be read or written
    kFolderReadOnly,  // the folder takes no new files (a new log, its -wal and -shm)
    kDiskFull,
    kBusy,         // another program holds it locked
    kPlainSqlite,  // an unencrypted SQLite database
    kNotOurs,      // the key reads nothing: another program's encrypted file, or damage
    kNotALog,      // the key reads it, but it holds no call log
    kUnreadable,   // damaged so badly that not even its tables can be listed
    kDamaged,      // damaged, but its records can still be read
    kOther,        // anything else; the detail has the engine's words
};

// What a look at a log file found.
struct Verdict {
    OpenProblem problem = OpenProblem::kNone;
    std::string detail;  // the engine's or the system's words, for the trace

    bool Sound() const { return problem == OpenProblem::kNone; }
    // True when the file was read and found wanting, as opposed to a file that
    // could not be read at all (no permission, a full disk, a lock).
    bool AboutContent() const;
};

// Libraries from SQLite 3.16 on take SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE; older ones
// refuse the option, and there only a connection that cannot write is safe.
inline constexpr int kNoCheckpointOnClose = 1010;

// The user's reason to refuse every write to a damaged log.
inline constexpr const char* kDamagedWriteText =
    "拨号记录文件已损坏，已停止写入：请用“恢复拨号记录”从备份恢复";

// Opens `name` (a path, or a file: URI when `flags` holds SQLITE_OPEN_URI), keeps it
// from checkpointing at close, and sets the program's key. Nothing when that
// fails, with the reason in `verdict`; `file` is the log the name stands for.
sqlite3* OpenWithKey(const std::string& name, int flags, const std::filesystem::path& file,
                     Verdict& verdict);

// A mkstemp/mkdtemp pattern for a hidden file beside `file`: ".NAME.TAG-XXXXXX",
// on the log's disk and as private as its folder.
std::string HiddenSiblingPattern(const std::filesystem::path& file, std::string_view tag);

// Reads the list of tables and looks for the log's own.
Verdict ReadLogTables(sqlite3* db, const std::filesystem::path& file);
// ReadLogTables, then the engine's quick check of every page. A check that runs
// out of its time on a big log counts as passed, and is traced; one that is
// stopped (`stop` set from another thread) counts as passed too.
Verdict CheckLog(sqlite3* db, const std::filesystem::path& file, const ErrorLog& log,
                 std::chrono::seconds limit = std::chrono::seconds(2),
                 const std::atomic<bool>* stop = nullptr);

// The file on its own, as if no -wal were beside it. `pages` false looks only at
// the key and the tables, whose cost does not grow with the log.
Verdict CheckFileAlone(const std::filesystem::path& file, const ErrorLog& log, bool pages = true);
// The file together with its -wal, checked on copies in a private folder beside
// it, so the real file never replays a -wal that may not be its own.
Verdict CheckFileWithWal(const std::filesystem::path& file, const ErrorLog& log);

// True when the -wal beside `file` holds at least one frame.
bool WalHasFrames(const std::filesystem::path& file);
// True when another process has the log open (it holds the -shm's dead-man lock).
// Only to be asked while this process has no connection to the file: closing the
// descriptor used here would drop that connection's locks.
bool OpenInAnotherProcess(const std::filesystem::path& file);
// Renames the -wal and the -shm beside `file` to "<name>-wal.yyyyMMdd-HHmmss" (and
// -shm likewise); `movedWal` is where the -wal went.
Verdict MoveWalAside(const std::filesystem::path& file, std::filesystem::path& movedWal);

// What an engine result code means for `file`; where the engine says no more than
// "cannot open" the file system is asked why.
Verdict Diagnose(int code, std::string detail, const std::filesystem::path& file);
// The same for an errno from making, copying or renaming files beside `file`.
Verdict DiagnoseSystemError(int error, std::string detail, const std::filesystem::path& file);

// "无法打开拨号记录 <file>：<reason>", the reason a statement on the log failed.
std::string NotOpenText(const Verdict& verdict, const std::filesystem::path& file);
// What the user is told at start-up: why the log did not open and what to do, or
// that a damaged log can be read but takes no more writes.
std::string StartUpText(const Verdict& verdict, const std::filesystem::path& file);

}  // namespace vornik
