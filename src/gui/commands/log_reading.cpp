#include "commands/log_reading.h"

#include <filesystem>
#include <ostream>

#include "app/program_start.h"
#include "base/clock.h"
#include "store/settings_store.h"

namespace vornik::gui {

LogReading::LogReading(const cli::Options& options)
    : folder_(ChosenProgramFolder(options)),
      log_(folder_.ErrorLogFile()),
      db_(folder_.DatabaseFile(), log_) {}

bool LogReading::Open(std::ostream& err) {
    // Checked first: opening would make a new, empty log, and a trace would make
    // the folder.
    if (!std::filesystem::exists(folder_.DatabaseFile())) {
        err << "vornik: 程序文件夹 " << folder_.root.string() << " 中没有拨号记录 "
            << folder_.DatabaseFile().string() << std::endl;
        return false;
    }
    db_.OpenDatabase();
    if (!db_.IsOpen()) {
        err << "vornik: " << db_.OpenFailure() << std::endl;
        return false;
    }
    InitTimeRule(db_, rules_);
    return true;
}

std::string LogReading::Entry(const std::string& chosen) {
    return chosen.empty() ? SettingsStore(db_).Text(keys::kLastEntry) : chosen;
}

BillingMonth LogReading::Month(const cli::Selection& selection) const {
    if (selection.month) {
        return {selection.month->year, selection.month->month};
    }
    const BillingMonth current = BillingMonthOf(SystemClock().Now(), rules_.firstFeeDay);
    // A year's report counts only the year of its month.
    return selection.year ? BillingMonth{*selection.year, 12} : current;
}

Report LogReading::Load(ReportKind kind, const cli::Selection& selection) {
    UsageTotalsReader reader(db_);
    return LoadReport(reader, kind, Month(selection), rules_.firstFeeDay, Entry(selection.entry));
}

}  // namespace vornik::gui
