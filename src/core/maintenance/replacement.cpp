#include "maintenance/replacement.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "maintenance/log_file.h"
#include "store/log_check.h"

namespace vornik::maintenance {

namespace fs = std::filesystem;

TempCopy::~TempCopy() {
    if (!path_.empty()) {
        std::error_code ignored;
        fs::remove(path_, ignored);
        fs::remove(Sidecar(path_, "-journal"), ignored);
    }
}

fs::path Sidecar(const fs::path& file, std::string_view suffix) {
    fs::path result = file;
    result += std::string(suffix);
    return result;
}

Result<> Proceed(const MaintenanceHooks& hooks, MaintenanceStep step) {
    if (hooks.proceed && !hooks.proceed(step)) {
        return Result<>::Failure("step " + std::to_string(static_cast<int>(step)) + " failed");
    }
    return Result<>::Success();
}

void RemoveLeftovers(const fs::path& file, std::string_view tag) {
    const fs::path pattern = HiddenSiblingPattern(file, tag);
    // The pattern ends in "XXXXXX": what comes before is the prefix of every such name.
    const std::string prefix =
        pattern.filename().string().substr(0, pattern.filename().string().size() - 6);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(pattern.parent_path(), error)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            std::error_code ignored;
            fs::remove(entry.path(), ignored);
        }
    }
}

Result<> SyncPath(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return Result<>::Failure("cannot open " + path.string() + ": " + std::strerror(errno));
    }
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return synced
               ? Result<>::Success()
               : Result<>::Failure("cannot flush " + path.string() + ": " + std::strerror(error));
}

Result<> FoldWal(sqlite3* db) {
    int walFrames = 0;
    int folded = 0;
    const int rc =
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, &walFrames, &folded);
    if (rc != SQLITE_OK) {
        return Result<>::Failure(EngineError(db, "folding the -wal into the log"));
    }
    return Result<>::Success();
}

namespace {

Result<TempCopy> MakeTemp(const fs::path& finalName, std::string_view tag) {
    std::string pattern = HiddenSiblingPattern(finalName, tag);
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return Result<TempCopy>::Failure("cannot create a file beside " + finalName.string() +
                                         ": " + std::strerror(errno));
    }
    ::close(fd);
    return TempCopy(pattern);
}

// sqlcipher_export copies the schema and the rows; the copy is given the schema
// version here, inside the same read of the source.
Result<LogContents> ExportInto(sqlite3* source, const fs::path& copy) {
    auto attach = Prepare(source, "ATTACH DATABASE ? AS copy");
    if (!attach) {
        return Result<LogContents>::Failure(attach.Error());
    }
    const std::string name = copy.string();
    sqlite3_bind_text(attach->get(), 1, name.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(attach->get()) != SQLITE_DONE) {
        return Result<LogContents>::Failure(EngineError(source, "attaching the copy"));
    }
    Result<LogContents> contents = Result<LogContents>::Failure("not read");
    Result<> done = Execute(source, "BEGIN");
    if (done) {
        contents = ReadContents(source);
        done = contents ? Execute(source, "SELECT sqlcipher_export('copy')")
                        : Result<>::Failure(contents.Error());
        if (done) {
            done =
                Execute(source, "PRAGMA copy.user_version = " + std::to_string(contents->version));
        }
        if (done) {
            done = Execute(source, "COMMIT");
        } else {
            (void)Execute(source, "ROLLBACK");
        }
    }
    (void)Execute(source, "DETACH DATABASE copy");
    return done ? contents : Result<LogContents>::Failure(done.Error());
}

Result<> CheckCopy(const fs::path& copy, const LogContents& expected) {
    auto db = OpenLogFile(copy, false);
    if (!db) {
        return Result<>::Failure(db.Error());
    }
    if (auto sound = CheckStructure(db->get()); !sound) {
        return sound;
    }
    auto found = ReadContents(db->get());
    if (!found) {
        return Result<>::Failure(found.Error());
    }
    if (!(*found == expected)) {
        return Result<>::Failure("the copy holds " + std::to_string(found->rows) + " rows, not " +
                                 std::to_string(expected.rows));
    }
    return Result<>::Success();
}

}  // namespace

Result<TempCopy> PrepareCopy(sqlite3* source, const fs::path& finalName, std::string_view tag,
                             const MaintenanceHooks& hooks) {
    auto temp = MakeTemp(finalName, tag);
    if (!temp) {
        return temp;
    }
    TempCopy copy = std::move(temp).Value();
    auto contents = ExportInto(source, copy.Path());
    Result<> step = contents ? Proceed(hooks, MaintenanceStep::kCopyWritten)
                             : Result<>::Failure(contents.Error());
    step = step ? SyncPath(copy.Path()) : step;
    step = step ? Proceed(hooks, MaintenanceStep::kCopySynced) : step;
    step = step ? CheckCopy(copy.Path(), *contents) : step;
    step = step ? Proceed(hooks, MaintenanceStep::kCopyChecked) : step;
    if (!step) {
        return Result<TempCopy>::Failure(step.Error());
    }
    return copy;
}

Result<> PutInPlace(TempCopy& copy, const fs::path& finalName, const MaintenanceHooks& hooks) {
    std::error_code error;
    fs::rename(copy.Path(), finalName, error);
    if (error) {
        return Result<>::Failure("cannot rename " + copy.Path().string() + " to " +
                                 finalName.string() + ": " + error.message());
    }
    copy.Release();
    // The replaced file's -wal holds nothing of the new one; the next opener would
    // otherwise have to tell it apart.
    fs::remove(Sidecar(finalName, "-wal"), error);
    fs::remove(Sidecar(finalName, "-shm"), error);
    if (auto step = Proceed(hooks, MaintenanceStep::kReplaced); !step) {
        return step;
    }
    return SyncPath(finalName.parent_path().empty() ? fs::path(".") : finalName.parent_path());
}

}  // namespace vornik::maintenance
