// The rule file: the settings, the discount windows and the holidays as text,
// to move them between installations or keep a copy.
//
//   [Config]        entry name, group, key, value
//   [DiscountTime]  entry name, begin time, end time, discount
//   [Holiday]       entry name, holiday name, begin date, days, discount
//
// Each section only when its table has rows; fields joined by "," without
// quoting. Written as UTF-8 with CR LF, dates yyyy-MM-dd, times HH:mm:ss and
// numbers with a dot; read also as GB18030 with regional date, time and number
// forms.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "base/result.h"
#include "metering/time_rules.h"

namespace vornik {

class Dbio;

inline constexpr const char* kConfigHeader = "[Config]";
inline constexpr const char* kDiscountTimeHeader = "[DiscountTime]";
inline constexpr const char* kHolidayHeader = "[Holiday]";

struct RuleExport {
    std::size_t rowsWritten = 0;
    // Rows that hold "," or a line break in a value, which no reader could take
    // apart again: left out of the file, each named for the user.
    std::vector<std::string> leftOut;
};

// Writes the file atomically: a failure leaves whatever was there before.
Result<RuleExport> ExportRules(Dbio& db, const std::filesystem::path& file);

struct RuleImport {
    std::size_t linesRead = 0;
    std::size_t rowsImported = 0;
    // Lines (from 1) that were not taken: no section yet, a wrong number of
    // fields, or a value that is no date, time or number. Empty lines do not
    // count.
    std::vector<std::size_t> skippedLines;
    bool fromGb18030 = false;
};

// All in one transaction: a file that cannot be read, or a statement the log
// refuses, leaves every table as it was. A section header empties its table
// (discount windows and holidays of every entry name; settings are replaced one
// by one, for the entry "global"). A password that is not yet a hash is stored
// as one.
Result<RuleImport> ImportRules(Dbio& db, const std::filesystem::path& file);

// The rules as they would be in force after importing `file` (its settings over
// the stored ones, its discount tables), read inside the import's transaction,
// which is then rolled back: the log keeps its own rules.
Result<TimeRules> RulesOfRuleFile(Dbio& db, const std::filesystem::path& file);

// What the user is told afterwards, in Chinese.
std::string ExportReportText(const std::filesystem::path& file, const RuleExport& exported);
std::string ImportReportText(const std::filesystem::path& file, const RuleImport& imported);

}  // namespace vornik
