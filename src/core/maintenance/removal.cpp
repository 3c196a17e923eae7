#include <sqlite3.h>

#include <algorithm>

#include "base/moment.h"
#include "maintenance/log_file.h"
#include "maintenance/log_maintenance.h"

namespace vornik {

Moment RemovalCutoff(const Moment& today, int firstFeeDay) {
    Moment cutoff = AddMonths(Moment{today.year, today.month, 1, 0, 0, 0}, -3);
    // The day is placed in the month three back, so a first fee day that today's
    // month lacks (the 31st in April) still counts where that month has it.
    cutoff.day = std::clamp(firstFeeDay, 1, DaysInMonth(cutoff.year, cutoff.month));
    return cutoff;
}

Result<std::int64_t> RemoveOldRecords(const std::filesystem::path& log, std::string_view entryName,
                                      const Moment& cutoff, const ErrorLog& errors) {
    using Outcome = Result<std::int64_t>;
    auto fail = [&](const std::string& reason) {
        return Outcome::Failure(maintenance::Traced(errors, "removing old calls", reason).Error());
    };
    auto db = maintenance::OpenLogFile(log, true);
    if (!db) {
        return fail(db.Error());
    }
    // A call still up has no end yet and never matches.
    auto statement =
        maintenance::Prepare(db->get(), "DELETE FROM diallog WHERE endTime < ? AND entryName = ?");
    if (!statement) {
        return fail(statement.Error());
    }
    const std::string cutoffText = MomentText(cutoff);
    sqlite3_bind_text(statement->get(), 1, cutoffText.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement->get(), 2, entryName.data(), static_cast<int>(entryName.size()),
                      SQLITE_TRANSIENT);
    if (sqlite3_step(statement->get()) != SQLITE_DONE) {
        return fail(maintenance::EngineError(db->get(), "deleting the old calls"));
    }
    return static_cast<std::int64_t>(sqlite3_changes(db->get()));
}

}  // namespace vornik
