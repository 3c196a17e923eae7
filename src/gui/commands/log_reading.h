// The log of a program folder, opened by a command that only reads it. It takes
// a second connection beside a running Vornik (the log is in WAL mode, so a
// reader never blocks the running program's minute write and sees what it has
// committed), and it never makes a program folder or a log where none is.
#pragma once

#include <iosfwd>
#include <string>

#include "app/program_folder.h"
#include "command_line.h"
#include "metering/time_rules.h"
#include "reports/month_report.h"
#include "store/dbio.h"
#include "store/error_log.h"

namespace vornik::gui {

class LogReading {
  public:
    // The application object must exist.
    explicit LogReading(const cli::Options& options);

    // False, with the reason on `err`, when the folder holds no log or it does
    // not open; the rules in force are read once it is open.
    bool Open(std::ostream& err);

    Dbio& Db() { return db_; }
    const ProgramFolder& Folder() const { return folder_; }
    const ErrorLog& Log() const { return log_; }
    int FirstFeeDay() const { return rules_.firstFeeDay; }
    const TimeRules& Rules() const { return rules_; }
    // The entry chosen, or the one used last.
    std::string Entry(const std::string& chosen);
    // The billing month chosen, the one of the year chosen, or the current one.
    BillingMonth Month(const cli::Selection& selection) const;
    Report Load(ReportKind kind, const cli::Selection& selection);

  private:
    ProgramFolder folder_;
    ErrorLog log_;
    Dbio db_;
    TimeRules rules_;
};

}  // namespace vornik::gui
