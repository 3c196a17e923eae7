#include <system_error>

#include "maintenance/log_file.h"
#include "maintenance/log_maintenance.h"
#include "maintenance/replacement.h"
#include "store/log_check.h"

namespace vornik {

namespace fs = std::filesystem;

namespace {

std::uintmax_t SizeWithWal(const fs::path& log) {
    std::error_code error;
    std::uintmax_t size = fs::file_size(log, error);
    const std::uintmax_t wal = fs::file_size(maintenance::Sidecar(log, "-wal"), error);
    return error ? size : size + wal;
}

Result<CompactOutcome> Compact(const fs::path& log, const MaintenanceHooks& hooks) {
    using Outcome = Result<CompactOutcome>;
    maintenance::RemoveLeftovers(log, "compact");
    if (OpenInAnotherProcess(log)) {
        return Outcome::Failure("another program has the log open");
    }
    CompactOutcome outcome{SizeWithWal(log), 0};
    auto source = maintenance::OpenLogFile(log, true);
    if (!source) {
        return Outcome::Failure(source.Error());
    }
    // With the -wal folded in and empty, a crash right after the rename leaves no
    // frames of the old file beside the new one.
    if (auto folded = maintenance::FoldWal(source->get()); !folded) {
        return Outcome::Failure(folded.Error());
    }
    auto copy = maintenance::PrepareCopy(source->get(), log, "compact", hooks);
    source.Value().reset();
    if (!copy) {
        return Outcome::Failure(copy.Error());
    }
    if (auto placed = maintenance::PutInPlace(copy.Value(), log, hooks); !placed) {
        return Outcome::Failure(placed.Error());
    }
    outcome.bytesAfter = SizeWithWal(log);
    return outcome;
}

}  // namespace

Result<CompactOutcome> CompactLog(const fs::path& log, const ErrorLog& errors,
                                  const MaintenanceHooks& hooks) {
    auto outcome = Compact(log, hooks);
    if (!outcome) {
        (void)maintenance::Traced(errors, "compacting " + log.string(), outcome.Error());
    }
    return outcome;
}

}  // namespace vornik
