#include "maintenance/log_jobs.h"

#include <cstdio>

#include "maintenance/log_maintenance.h"
#include "store/error_log.h"

namespace vornik::gui {
namespace {

namespace fs = std::filesystem;

// The name of each operation in a failure's message.
const char* FailedText(LogJobKind kind) {
    switch (kind) {
        case LogJobKind::kRemoveOld:
            return "清除三个月前记录失败：";
        case LogJobKind::kCompact:
            return "压缩记录文件失败：";
        case LogJobKind::kBackup:
            return "备份拨号记录失败：";
        case LogJobKind::kRestore:
            return "恢复拨号记录失败：";
        case LogJobKind::kExport:
            return "导出拨号记录失败：";
        case LogJobKind::kImport:
            return "导入拨号记录失败：";
    }
    return "";
}

// A file that is no log is told in the program's own words, alone.
LogJobOutcome Failed(LogJobKind kind, const std::string& reason) {
    const std::string message =
        reason == kNotALogFileText ? reason : std::string(FailedText(kind)) + reason;
    return {false, message, "error " + reason};
}

std::string SizeText(std::uintmax_t bytes) {
    char text[32];
    if (bytes >= 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024 * 1024));
    } else {
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024);
    }
    return text;
}

LogJobOutcome Removed(const Result<std::int64_t>& removed) {
    if (!removed) {
        return Failed(LogJobKind::kRemoveOld, removed.Error());
    }
    const std::string count = std::to_string(*removed);
    return {true, std::string(kRemovedText) + "\n共删除了 " + count + " 次通话的记录。",
            "removed " + count};
}

LogJobOutcome Compacted(const Result<CompactOutcome>& compacted) {
    if (!compacted) {
        return Failed(LogJobKind::kCompact, compacted.Error());
    }
    const std::uintmax_t before = compacted->bytesBefore;
    const std::uintmax_t after = compacted->bytesAfter;
    const std::string smaller = before > after ? SizeText(before - after) : SizeText(0);
    return {true,
            std::string(kCompactedText) + "\n记录文件从 " + SizeText(before) + " 变为 " +
                SizeText(after) + "，减小了 " + smaller + "。",
            "compacted " + std::to_string(before) + " -> " + std::to_string(after)};
}

LogJobOutcome Copied(LogJobKind kind, const Result<CopyOutcome>& copied) {
    if (!copied) {
        return Failed(kind, copied.Error());
    }
    const bool exported = kind == LogJobKind::kExport;
    const std::string added = std::to_string(copied->copied);
    const std::string present = std::to_string(copied->alreadyPresent);
    return {true,
            std::string(exported ? kExportedText : kImportedText) + "\n复制了 " + added +
                " 次通话的记录，" + present + " 次通话的记录已经存在。",
            std::string(exported ? "exported " : "imported ") + added + " copied " + present +
                " present"};
}

LogJobOutcome Done(LogJobKind kind, const Result<>& done, std::string message, std::string line) {
    if (!done) {
        return Failed(kind, done.Error());
    }
    return {true, std::move(message), std::move(line)};
}

}  // namespace

bool WritesLog(LogJobKind kind) {
    return kind != LogJobKind::kBackup && kind != LogJobKind::kExport;
}

bool ReplacesLog(LogJobKind kind) {
    return kind == LogJobKind::kCompact || kind == LogJobKind::kRestore;
}

LogJobOutcome RunLogJob(const LogJob& job, const fs::path& log, const ErrorLog& errors) {
    const std::string file = job.file.string();
    switch (job.kind) {
        case LogJobKind::kRemoveOld:
            return Removed(RemoveOldRecords(log, job.entry,
                                            RemovalCutoff(job.today, job.firstFeeDay), errors));
        case LogJobKind::kCompact:
            return Compacted(CompactLog(log, errors));
        case LogJobKind::kBackup:
            return Done(job.kind, BackupLog(log, job.file, errors),
                        "拨号记录已备份到 " + file + "。", "backed-up " + file);
        case LogJobKind::kRestore:
            return Done(job.kind, RestoreLog(log, job.file, errors),
                        std::string(kRestoredText) + "\n原来的拨号记录保存在 " +
                            BeforeRestoreFile(log).string() + "。",
                        "restored " + file);
        case LogJobKind::kExport:
            return Copied(job.kind, ExportLog(log, job.file, job.createIfMissing, errors));
        case LogJobKind::kImport:
            return Copied(job.kind, ImportLog(log, job.file, errors));
    }
    return Failed(job.kind, "unknown operation");
}

}  // namespace vornik::gui
