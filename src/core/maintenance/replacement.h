// Putting a new log file in place of another so that, whatever happens, the old
// file or the complete new one is there: the copy is written beside its final
// name under a hidden temporary name, flushed, opened again and checked, and only
// then renamed.
#pragma once

#include <filesystem>
#include <string_view>

#include "base/result.h"
#include "maintenance/log_maintenance.h"

struct sqlite3;

namespace vornik::maintenance {

// A temporary file that is removed unless it was put in place.
class TempCopy {
  public:
    TempCopy() = default;
    explicit TempCopy(std::filesystem::path path) : path_(std::move(path)) {}
    TempCopy(TempCopy&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    TempCopy& operator=(TempCopy&&) = delete;
    ~TempCopy();

    const std::filesystem::path& Path() const { return path_; }
    void Release() { path_.clear(); }

  private:
    std::filesystem::path path_;
};

// Fails when the hooks stop `step`.
Result<> Proceed(const MaintenanceHooks& hooks, MaintenanceStep step);

// Removes the hidden temporary files of `tag` beside `file` that an interrupted
// run left.
void RemoveLeftovers(const std::filesystem::path& file, std::string_view tag);

// Writes the whole of `source`'s main database, as of one moment, into a new
// hidden file beside `finalName`, with the same key and schema version; flushes
// and checks it.
Result<TempCopy> PrepareCopy(sqlite3* source, const std::filesystem::path& finalName,
                             std::string_view tag, const MaintenanceHooks& hooks);

// Renames the checked copy over `finalName`, drops the -wal and -shm that belonged
// to the file it replaced, and flushes the folder.
Result<> PutInPlace(TempCopy& copy, const std::filesystem::path& finalName,
                    const MaintenanceHooks& hooks);

// Flushes a file or a folder to the disk.
Result<> SyncPath(const std::filesystem::path& path);

// "<file>-wal" and "<file>-shm".
std::filesystem::path Sidecar(const std::filesystem::path& file, std::string_view suffix);

// Moves the content of the log's -wal into the log, so the file alone is the
// whole log and a -wal left beside it holds nothing.
Result<> FoldWal(sqlite3* db);

}  // namespace vornik::maintenance
