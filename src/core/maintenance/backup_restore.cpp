#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "maintenance/log_file.h"
#include "maintenance/log_maintenance.h"
#include "maintenance/replacement.h"
#include "store/log_check.h"

namespace vornik {

namespace fs = std::filesystem;

namespace {

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

Result<> Backup(const fs::path& log, const fs::path& destination, const MaintenanceHooks& hooks) {
    if (SameFile(log, destination)) {
        return Result<>::Failure("the backup would overwrite the log itself");
    }
    maintenance::RemoveLeftovers(destination, "backup");
    auto source = maintenance::OpenLogFile(log, true);
    if (!source) {
        return Result<>::Failure(source.Error());
    }
    // One read transaction on the log: a call written meanwhile is either wholly
    // in the copy or not at all.
    auto copy = maintenance::PrepareCopy(source->get(), destination, "backup", hooks);
    source.Value().reset();
    if (!copy) {
        return Result<>::Failure(copy.Error());
    }
    return maintenance::PutInPlace(copy.Value(), destination, hooks);
}

Result<> Link(const fs::path& from, const fs::path& to) {
    if (::link(from.c_str(), to.c_str()) != 0) {
        return Result<>::Failure("cannot keep " + from.string() + " as " + to.string() + ": " +
                                 std::strerror(errno));
    }
    return Result<>::Success();
}

// Gives the log in use a second name, so it stays whole while the restored file
// takes its first name. Its -wal is folded in first where the log still opens;
// a damaged log keeps its -wal under the second name too.
Result<> KeepAside(const fs::path& log, const fs::path& kept) {
    if (!fs::exists(log)) {
        return Result<>::Success();
    }
    if (auto db = maintenance::OpenLogFile(log, true)) {
        (void)maintenance::FoldWal(db->get());
    }
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        fs::remove(maintenance::Sidecar(kept, suffix), ignored);
    }
    Result<> done = Link(log, kept);
    const fs::path wal = maintenance::Sidecar(log, "-wal");
    if (done && fs::file_size(wal, ignored) > 0 && !ignored) {
        done = Link(wal, maintenance::Sidecar(kept, "-wal"));
    }
    return done ? maintenance::SyncPath(log.parent_path()) : done;
}

Result<> Restore(const fs::path& log, const fs::path& backup, const MaintenanceHooks& hooks) {
    if (SameFile(log, backup)) {
        return Result<>::Failure("the chosen file is the log itself");
    }
    if (OpenInAnotherProcess(log)) {
        return Result<>::Failure("another program has the log open");
    }
    maintenance::RemoveLeftovers(log, "restore");
    auto source = maintenance::OpenLogFile(backup, true);
    if (!source) {
        return Result<>::Failure(source.Error());
    }
    auto copy = maintenance::PrepareCopy(source->get(), log, "restore", hooks);
    source.Value().reset();
    if (!copy) {
        return Result<>::Failure(copy.Error());
    }
    Result<> kept = KeepAside(log, BeforeRestoreFile(log));
    kept = kept ? maintenance::Proceed(hooks, MaintenanceStep::kOldKept) : kept;
    return kept ? maintenance::PutInPlace(copy.Value(), log, hooks) : kept;
}

}  // namespace

Result<> BackupLog(const fs::path& log, const fs::path& destination, const ErrorLog& errors,
                   const MaintenanceHooks& hooks) {
    if (auto done = Backup(log, destination, hooks); !done) {
        return maintenance::Traced(errors, "backing up to " + destination.string(), done.Error());
    }
    return Result<>::Success();
}

Result<> CheckLogFile(const fs::path& file, const ErrorLog& errors) {
    auto db = maintenance::OpenLogFile(file, false);
    Result<> sound = db ? maintenance::CheckStructure(db->get()) : Result<>::Failure(db.Error());
    if (!sound) {
        (void)maintenance::Traced(errors, "checking " + file.string(), sound.Error());
        return Result<>::Failure(kNotALogFileText);
    }
    return sound;
}

fs::path BeforeRestoreFile(const fs::path& log) {
    return log.parent_path() / (log.stem().string() + ".before-restore" + log.extension().string());
}

Result<> RestoreLog(const fs::path& log, const fs::path& backup, const ErrorLog& errors,
                    const MaintenanceHooks& hooks) {
    if (auto sound = CheckLogFile(backup, errors); !sound) {
        return sound;
    }
    if (auto done = Restore(log, backup, hooks); !done) {
        return maintenance::Traced(errors, "restoring from " + backup.string(), done.Error());
    }
    return Result<>::Success();
}

}  // namespace vornik
