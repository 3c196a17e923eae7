// Looking after the log file as a whole: removing old calls, compacting,
// backing up, restoring, exporting and importing calls between log files.
//
// Every operation takes paths and opens connections of its own, so the shell may
// run it on a worker thread while the session keeps its shared connection. The
// log in use is only ever replaced by a complete file that has been written,
// flushed and opened again to check it, and the replacement is one rename: a
// crash, a full disk or a failing step at any moment leaves the old log or the
// new one in place, never neither and never a part. Each failure is traced in
// the error log and returned; no operation reports success after a failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include "base/moment.h"
#include "base/result.h"

namespace vornik {

class ErrorLog;

// What the shell shows around these commands, word for word.
inline constexpr const char* kConfirmRemoveText = "确认删除三个月前的上网记录吗？";
inline constexpr const char* kRemovedText = "三个月前的上网记录成功删除！";
inline constexpr const char* kCompactWhileConnectedText = "请在断开连接的时候压缩记录文件！";
inline constexpr const char* kCompactedText = "压缩记录文件成功！";
inline constexpr const char* kNotALogFileText = "不是有效的数据库文件。";
inline constexpr const char* kCreateTargetQuestion = "目标数据库文件不存在，是否要一个新的文件？";
inline constexpr const char* kExportedText = "拨号记录导出成功！";
inline constexpr const char* kImportedText = "拨号记录导入成功！";
inline constexpr const char* kRestoredText = "恢复数据文件成功。";
inline constexpr const char* kRestoreWarningText =
    "选定文件将要覆盖程序安装目录下拨号记录(db\\DialLog.db)";
// Titles and filter of the file dialogs.
inline constexpr const char* kBackupDialogTitle = "选择备份文件存放目录";
inline constexpr const char* kRestoreDialogTitle = "选择要恢复的备份文件";
inline constexpr const char* kExportDialogTitle = "选择目标数据库文件存放目录";
inline constexpr const char* kImportDialogTitle = "选择要导入的数据库文件存放目录";
inline constexpr const char* kLogFileFilter = "Vornik数据库文件(*.db)|*.db";

// The steps at which a replacement can be interrupted. Tests make a step fail
// through MaintenanceHooks to show that the log survives a failure there.
enum class MaintenanceStep {
    kCopyWritten,  // the new file is complete under its temporary name
    kCopySynced,   // ... and flushed to the disk
    kCopyChecked,  // ... and opened again and found sound
    kOldKept,      // restore: the log in use has been kept aside
    kReplaced,     // the new file has taken its final name
    kRowsCopied,   // export/import: rows inserted, transaction not yet committed
};

struct MaintenanceHooks {
    // Asked before each step goes on; false makes the operation fail there as a
    // failing disk would. Empty: every step goes on.
    std::function<bool(MaintenanceStep)> proceed;
};

// The moment before which a call must have ended to be removed: day
// `firstFeeDay` of today's month at 00:00:00, three calendar months back (a day
// the month lacks is clamped to its last day). Any day of May 2006 with first
// fee day 21 gives 2006-02-21 00:00:00.
Moment RemovalCutoff(const Moment& today, int firstFeeDay);

// Deletes the calls of `entryName` that ended before `cutoff`, in one statement
// on a connection of its own (the shared connection may stay open). Other
// entries keep every call. Returns how many calls went.
Result<std::int64_t> RemoveOldRecords(const std::filesystem::path& log, std::string_view entryName,
                                      const Moment& cutoff, const ErrorLog& errors);

struct CompactOutcome {
    std::uintmax_t bytesBefore = 0;  // the log with its -wal
    std::uintmax_t bytesAfter = 0;
};

// Rewrites the log compactly under the same key and schema version. The caller
// makes sure no call is up and the shared connection is closed. Temporary files
// left by an earlier run that was interrupted are removed first.
Result<CompactOutcome> CompactLog(const std::filesystem::path& log, const ErrorLog& errors,
                                  const MaintenanceHooks& hooks = {});

// A consistent copy of the log as of one moment, also while another connection
// writes to it. Written under a temporary name in the destination's folder,
// checked, then renamed over `destination`; the caller has asked before
// replacing an existing file. Refused when `destination` is the log itself
// (also through another path or a symbolic link).
Result<> BackupLog(const std::filesystem::path& log, const std::filesystem::path& destination,
                   const ErrorLog& errors, const MaintenanceHooks& hooks = {});

// Succeeds when `file` opens with the program's key, holds the log's four tables
// and passes the engine's integrity check. The failure's text is
// kNotALogFileText; the reason found goes to the error log. Never changes the
// file.
Result<> CheckLogFile(const std::filesystem::path& file, const ErrorLog& errors);

// Where RestoreLog keeps the log it replaced: "diallog.before-restore.db" beside
// it (an earlier one is replaced).
std::filesystem::path BeforeRestoreFile(const std::filesystem::path& log);

// Replaces the log by a copy of `backup`. Checks `backup` first with
// CheckLogFile and changes nothing when it fails. The caller closes the shared
// connection before and reopens it after, then writes a running call's record
// again so the restored log holds it.
Result<> RestoreLog(const std::filesystem::path& log, const std::filesystem::path& backup,
                    const ErrorLog& errors, const MaintenanceHooks& hooks = {});

struct CopyOutcome {
    std::int64_t copied = 0;          // calls added to the receiving log
    std::int64_t alreadyPresent = 0;  // calls it already held
};

// Copies every call of the log, of all entries, into `target`, skipping a call
// when `target` already holds one that began in the same second (whatever its
// entry; of two calls giving in the same second only the first is copied). One
// transaction on `target`: all of the calls go in or none. A missing `target`
// becomes a new empty log first when `createIfMissing`, and is a failure
// otherwise. A `target` that is no log fails with kNotALogFileText, unchanged.
Result<CopyOutcome> ExportLog(const std::filesystem::path& log, const std::filesystem::path& target,
                              bool createIfMissing, const ErrorLog& errors,
                              const MaintenanceHooks& hooks = {});

// The same in the other direction: the calls of `source` into the log, in one
// transaction on the log. Importing the log into itself adds nothing.
Result<CopyOutcome> ImportLog(const std::filesystem::path& log, const std::filesystem::path& source,
                              const ErrorLog& errors, const MaintenanceHooks& hooks = {});

}  // namespace vornik
