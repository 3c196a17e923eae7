// The program's command line. It is read before any window system is touched, so
// that --help, --version and a mistyped option are answered on a machine whose
// display does not answer, and without Qt taking arguments of its own.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace vornik::cli {

// vornik rules export FILE | import FILE | show [--json]
struct RulesCommand {
    enum class Verb { kExport, kImport, kShow };
    Verb verb = Verb::kShow;
    std::filesystem::path file;  // export and import
    bool json = false;           // show
};

// A month as the user writes it, YYYY-MM: the billing month that ends in it.
struct YearMonth {
    int year = 0;
    int month = 0;
    friend bool operator==(const YearMonth&, const YearMonth&) = default;
};

// What the reading commands read: whose calls, and of which month or year.
// Unset, the entry is the last one used and the month the current billing month.
struct Selection {
    std::string entry;
    std::optional<YearMonth> month;
    std::optional<int> year;
};

enum class Listing { kText, kJson, kCsv };

// vornik log [--month YYYY-MM] [--json|--csv] [--entry NAME]
struct LogCommand {
    Selection selection;
    Listing listing = Listing::kText;
};

// vornik log remove-old [--entry NAME] | compact | backup FILE [--replace] |
// restore FILE | export FILE | import FILE
struct LogMaintenanceCommand {
    enum class Verb { kRemoveOld, kCompact, kBackup, kRestore, kExport, kImport };
    Verb verb = Verb::kCompact;
    std::filesystem::path file;  // backup, restore, export, import
    std::string entry;           // remove-old; empty: the entry used last
    bool replace = false;        // backup over a file that exists
};

// vornik totals [--days|--months] [--month YYYY-MM | --year YYYY] [--json|--csv]
struct TotalsCommand {
    bool byMonth = false;  // --months: per billing month of a year
    Selection selection;
    Listing listing = Listing::kText;
};

// vornik report calls|days|year [--month YYYY-MM] [--format html|csv|json] [-o FILE]
struct ReportCommand {
    enum class Kind { kCalls, kDays, kYear };
    enum class Format { kHtml, kCsv, kJson };
    Kind kind = Kind::kCalls;
    Format format = Format::kHtml;
    Selection selection;
    // Unset: into the program folder's report/; "-": to stdout.
    std::optional<std::filesystem::path> output;
};

// vornik status [--json]
struct StatusCommand {
    bool json = false;
};

// vornik dial [ENTRY]: empty, the running instance's own entry.
struct DialCommand {
    std::string entry;
};

// vornik hangup
struct HangUpCommand {};

// vornik compare --rules FILE | --type TYPE | --all-types [--months N]
// [--month YYYY-MM] [--json] [--entry NAME]
struct CompareCommand {
    enum class Source { kRuleFile, kType, kAllTypes };
    // The tariff types by their numbers in the settings: baoshi 0, jishi 1,
    // baoyue 2, liuliang 3.
    static constexpr int kTypeCount = 4;
    Source source = Source::kAllTypes;
    std::filesystem::path rules;  // kRuleFile
    int type = 0;                 // kType
    int months = 3;  // the billing months up to the one chosen (unset: the current one)
    bool json = false;
    Selection selection;  // the entry and the last month; never a year
};

// vornik bill set YYYY-MM AMOUNT | show [--json] [--entry NAME]
struct BillCommand {
    enum class Verb { kSet, kShow };
    Verb verb = Verb::kShow;
    YearMonth month;    // set
    double amount = 0;  // set
    bool json = false;  // show
    std::string entry;  // show: whose recorded fees; empty: the entry used last
};

// Nothing (the program runs) or the one subcommand that runs instead and ends.
using Subcommand = std::variant<std::monostate, RulesCommand, LogCommand, TotalsCommand,
                                ReportCommand, StatusCommand, DialCommand, HangUpCommand,
                                LogMaintenanceCommand, CompareCommand, BillCommand>;

// "baoshi", "jishi", "baoyue", "liuliang": the tariff type's name on the command line.
const char* TariffTypeWord(int type);

struct Options {
    std::optional<std::filesystem::path> root;  // --root DIR
    std::string dialer;                         // --dialer NAME; empty: chosen at start
    std::string language;                       // --lang zh_CN|en; empty: the locale's
    bool headless = false;                      // --headless, or implied by --json-lines
    bool jsonLines = false;                     // --json-lines
    bool startInTray = false;                   // --tray: the window hidden at start
    Subcommand command;
};

struct ParseResult {
    enum class Action { kRun, kHelp, kVersion, kError };
    Action action = Action::kRun;
    Options options;    // when the action is kRun
    std::string error;  // when the action is kError: one line, without the usage
};

// Reads argv[1..argc-1]; argv[0] is the program's own name and is not looked at.
ParseResult ParseCommandLine(int argc, const char* const* argv);

// "2006-05" as a month; nothing for any other form or a month beyond 1..12.
std::optional<YearMonth> ParseYearMonth(const std::string& text);

std::string UsageText();
std::string HelpText();
std::string VersionText();

// Answers help, version and mistakes: prints what the user asked for (or why the
// line was refused, with the usage) and returns the exit code. Empty when the
// program is to run.
std::optional<int> Answer(const ParseResult& result, std::ostream& out, std::ostream& err);

}  // namespace vornik::cli
