// The six log maintenance operations as jobs: what to do, done on any thread
// (the core's operations open connections of their own), and the outcome both
// as the user's message and as the one line a script reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/moment.h"

namespace vornik {
class ErrorLog;
}

namespace vornik::gui {

enum class LogJobKind { kRemoveOld, kCompact, kBackup, kRestore, kExport, kImport };

struct LogJob {
    LogJobKind kind = LogJobKind::kCompact;
    std::filesystem::path file;    // backup, restore, export, import
    bool createIfMissing = false;  // export into a file that does not exist yet
    std::string entry;             // remove-old
    Moment today;                  // remove-old
    int firstFeeDay = 1;           // remove-old
};

inline LogJob JobOf(LogJobKind kind, std::filesystem::path file = {}) {
    LogJob job;
    job.kind = kind;
    job.file = std::move(file);
    return job;
}

struct LogJobOutcome {
    bool ok = false;
    // For the user, in the program's words.
    std::string message;
    // For scripts: "removed 12", "compacted 1048576 -> 524288", "exported 10
    // copied 0 present", ... or "error " and the reason.
    std::string line;
};

// Whether the session must keep its records while the job runs, because the
// job writes to the log or replaces it.
bool WritesLog(LogJobKind kind);
// Whether the job replaces the log file, so the shared connection must be
// closed before it starts.
bool ReplacesLog(LogJobKind kind);

// Runs the job on the log `log`; blocking, safe on a worker thread.
LogJobOutcome RunLogJob(const LogJob& job, const std::filesystem::path& log,
                        const ErrorLog& errors);

}  // namespace vornik::gui
