#include "command_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vornik::cli {
namespace {

constexpr std::array<std::string_view, 3> kDialers = {"networkmanager", "pppd", "sim"};
constexpr std::array<std::string_view, 2> kLanguages = {"zh_CN", "en"};
constexpr std::array<std::string_view, 9> kFlags = {"--headless", "--json-lines", "--tray",
                                                    "--json",     "--csv",        "--days",
                                                    "--replace",  "--all-types",  "--months"};
constexpr std::array<std::string_view, 10> kValued = {"--root",  "--dialer", "--lang",  "--month",
                                                      "--year",  "--format", "--entry", "-o",
                                                      "--rules", "--type"};
constexpr std::array<std::string_view, CompareCommand::kTypeCount> kTariffWords = {
    "baoshi", "jishi", "baoyue", "liuliang"};

// Thrown by the readers below and caught once, so that each check is one line.
struct Refused {
    std::string reason;
};

[[noreturn]] void Refuse(std::string reason) {
    throw Refused{std::move(reason)};
}

template <std::size_t N>
bool OneOf(std::string_view word, const std::array<std::string_view, N>& words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

// The command line as given, before any subcommand has looked at it.
struct Given {
    std::vector<std::string> flags;
    std::map<std::string, std::string, std::less<>> values;
    std::vector<std::string> words;

    bool Has(std::string_view flag) const {
        return std::find(flags.begin(), flags.end(), flag) != flags.end();
    }
    std::optional<std::string> Value(std::string_view name) const {
        const auto found = values.find(name);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
    // Every option named, except --root, which every form takes.
    std::vector<std::string> Named() const {
        std::vector<std::string> named = flags;
        for (const auto& [name, value] : values) {
            if (name != "--root") {
                named.push_back(name);
            }
        }
        return named;
    }
};

void AllowOnly(const Given& given, const std::string& command,
               std::initializer_list<std::string_view> allowed) {
    for (const std::string& name : given.Named()) {
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
            Refuse("'vornik " + command + "' does not take " + name);
        }
    }
}

void NoMoreWords(const Given& given, std::size_t expected) {
    if (given.words.size() > expected) {
        Refuse("unexpected argument '" + given.words[expected] + "'");
    }
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

bool IsCount(std::string_view text) {
    return !text.empty() && AllDigits(text);
}

std::optional<int> ParseYear(std::string_view text) {
    if (text.size() != 4 || !AllDigits(text) || text[0] == '0') {
        return std::nullopt;
    }
    return std::stoi(std::string(text));
}

Listing ReadListing(const Given& given) {
    if (given.Has("--json") && given.Has("--csv")) {
        Refuse("--json and --csv exclude each other");
    }
    return given.Has("--json") ? Listing::kJson
                               : (given.Has("--csv") ? Listing::kCsv : Listing::kText);
}

Selection ReadSelection(const Given& given) {
    Selection selection;
    selection.entry = given.Value("--entry").value_or("");
    if (const auto month = given.Value("--month")) {
        selection.month = ParseYearMonth(*month);
        if (!selection.month) {
            Refuse("--month needs a month as YYYY-MM (such as 2006-05), not '" + *month + "'");
        }
    }
    if (const auto year = given.Value("--year")) {
        selection.year = ParseYear(*year);
        if (!selection.year) {
            Refuse("--year needs a year as YYYY (such as 2006), not '" + *year + "'");
        }
    }
    if (selection.month && selection.year) {
        Refuse("--month and --year exclude each other");
    }
    return selection;
}

RulesCommand ReadRules(const Given& given) {
    AllowOnly(given, "rules", {"--json"});
    using Verb = RulesCommand::Verb;
    const std::vector<std::string>& words = given.words;
    const std::string verb = words.size() > 1 ? words[1] : "";
    RulesCommand command;
    if (verb == "export" || verb == "import") {
        if (words.size() != 3 || given.Has("--json")) {
            Refuse("'vornik rules " + verb + "' takes one FILE and no --json");
        }
        command.verb = verb == "export" ? Verb::kExport : Verb::kImport;
        command.file = words[2];
    } else if (verb == "show") {
        NoMoreWords(given, 2);
        command.json = given.Has("--json");
    } else {
        Refuse("'vornik rules' needs export FILE, import FILE or show");
    }
    return command;
}

// Each verb takes a FILE or not, and at most one option of its own.
struct MaintenanceVerb {
    std::string_view word;
    LogMaintenanceCommand::Verb verb;
    bool takesFile;
    std::string_view option;
};
constexpr std::array<MaintenanceVerb, 6> kMaintenanceVerbs = {{
    {"remove-old", LogMaintenanceCommand::Verb::kRemoveOld, false, "--entry"},
    {"compact", LogMaintenanceCommand::Verb::kCompact, false, ""},
    {"backup", LogMaintenanceCommand::Verb::kBackup, true, "--replace"},
    {"restore", LogMaintenanceCommand::Verb::kRestore, true, ""},
    {"export", LogMaintenanceCommand::Verb::kExport, true, ""},
    {"import", LogMaintenanceCommand::Verb::kImport, true, ""},
}};

LogMaintenanceCommand ReadLogMaintenance(const Given& given) {
    const std::string& word = given.words[1];
    const auto found =
        std::find_if(kMaintenanceVerbs.begin(), kMaintenanceVerbs.end(),
                     [&word](const MaintenanceVerb& verb) { return verb.word == word; });
    if (found == kMaintenanceVerbs.end()) {
        Refuse(
            "'vornik log' needs remove-old, compact, backup FILE, restore FILE, export FILE"
            " or import FILE, not '" +
            word + "'");
    }
    AllowOnly(given, "log " + word, {found->option});
    if (found->takesFile && given.words.size() < 3) {
        Refuse("'vornik log " + word + "' needs a FILE");
    }
    NoMoreWords(given, found->takesFile ? 3 : 2);
    LogMaintenanceCommand command{
        found->verb, {}, given.Value("--entry").value_or(""), given.Has("--replace")};
    if (found->takesFile) {
        command.file = given.words[2];
    }
    return command;
}

Subcommand ReadLog(const Given& given) {
    if (given.words.size() > 1) {
        return ReadLogMaintenance(given);
    }
    AllowOnly(given, "log", {"--month", "--json", "--csv", "--entry"});
    return LogCommand{ReadSelection(given), ReadListing(given)};
}

TotalsCommand ReadTotals(const Given& given) {
    AllowOnly(given, "totals",
              {"--days", "--months", "--month", "--year", "--json", "--csv", "--entry"});
    NoMoreWords(given, 1);
    if (const auto count = given.Value("--months")) {
        Refuse("'vornik totals --months' takes no count, not '" + *count + "'");
    }
    if (given.Has("--days") && given.Has("--months")) {
        Refuse("--days and --months exclude each other");
    }
    TotalsCommand command{given.Has("--months"), ReadSelection(given), ReadListing(given)};
    if (command.byMonth && command.selection.month) {
        Refuse("'vornik totals --months' takes --year, not --month");
    }
    if (!command.byMonth && command.selection.year) {
        Refuse("'vornik totals --days' takes --month, not --year");
    }
    return command;
}

ReportCommand::Format ReadFormat(const Given& given) {
    const std::string format = given.Value("--format").value_or("html");
    if (format == "csv") {
        return ReportCommand::Format::kCsv;
    }
    if (format == "json") {
        return ReportCommand::Format::kJson;
    }
    if (format != "html") {
        Refuse("unknown report format '" + format + "' (use html, csv or json)");
    }
    return ReportCommand::Format::kHtml;
}

ReportCommand ReadReport(const Given& given) {
    AllowOnly(given, "report", {"--month", "--year", "--format", "--entry", "-o"});
    using Kind = ReportCommand::Kind;
    const std::string kind = given.words.size() > 1 ? given.words[1] : "";
    ReportCommand command;
    if (kind == "calls") {
        command.kind = Kind::kCalls;
    } else if (kind == "days") {
        command.kind = Kind::kDays;
    } else if (kind == "year") {
        command.kind = Kind::kYear;
    } else {
        Refuse("'vornik report' needs calls, days or year");
    }
    NoMoreWords(given, 2);
    command.format = ReadFormat(given);
    command.selection = ReadSelection(given);
    if (command.kind != Kind::kYear && command.selection.year) {
        Refuse("'vornik report " + kind + "' takes --month, not --year");
    }
    if (const auto output = given.Value("-o")) {
        command.output = *output;
    }
    return command;
}

// --months alone chooses the listing of totals; with a count it says how many
// billing months compare takes.
int ReadMonthCount(const Given& given) {
    const auto count = given.Value("--months");
    if (!given.Has("--months")) {
        return CompareCommand{}.months;
    }
    if (!count || count->size() > 3 || std::stoi(*count) < 1) {
        Refuse("--months needs a number of billing months from 1 to 999");
    }
    return std::stoi(*count);
}

CompareCommand ReadCompare(const Given& given) {
    AllowOnly(given, "compare",
              {"--rules", "--type", "--all-types", "--months", "--month", "--json", "--entry"});
    using Source = CompareCommand::Source;
    CompareCommand command;
    command.months = ReadMonthCount(given);
    NoMoreWords(given, 1);
    const auto rules = given.Value("--rules");
    const auto type = given.Value("--type");
    if ((rules ? 1 : 0) + (type ? 1 : 0) + (given.Has("--all-types") ? 1 : 0) != 1) {
        Refuse("'vornik compare' needs one of --rules FILE, --type TYPE or --all-types");
    }
    if (rules) {
        command.source = Source::kRuleFile;
        command.rules = *rules;
    } else if (type) {
        const auto found = std::find(kTariffWords.begin(), kTariffWords.end(), *type);
        if (found == kTariffWords.end()) {
            Refuse("unknown tariff type '" + *type + "' (use baoshi, jishi, baoyue or liuliang)");
        }
        command.source = Source::kType;
        command.type = static_cast<int>(found - kTariffWords.begin());
    }
    command.json = given.Has("--json");
    command.selection = ReadSelection(given);
    return command;
}

// Yuan as "95" or "95.50": a bill is never negative.
std::optional<double> ParseAmount(const std::string& text) {
    double amount = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, amount);
    if (error != std::errc() || stop != end || !(amount >= 0) || amount > 1e9) {
        return std::nullopt;
    }
    return amount;
}

BillCommand ReadBill(const Given& given) {
    const std::string verb = given.words.size() > 1 ? given.words[1] : "";
    BillCommand command;
    if (verb == "show") {
        AllowOnly(given, "bill show", {"--json", "--entry"});
        NoMoreWords(given, 2);
        command.json = given.Has("--json");
        command.entry = given.Value("--entry").value_or("");
        return command;
    }
    if (verb != "set") {
        Refuse("'vornik bill' needs set or show");
    }
    AllowOnly(given, "bill set", {});
    NoMoreWords(given, 4);
    const std::optional<YearMonth> month =
        ParseYearMonth(given.words.size() > 2 ? given.words[2] : "");
    const std::optional<double> amount =
        given.words.size() > 3 ? ParseAmount(given.words[3]) : std::nullopt;
    if (!month || !amount) {
        Refuse("'vornik bill set' needs a month YYYY-MM and an amount in yuan");
    }
    command.verb = BillCommand::Verb::kSet;
    command.month = *month;
    command.amount = *amount;
    return command;
}

// The subcommand named by the first word, with what it was given.
Subcommand ReadSubcommand(const Given& given) {
    const std::string& name = given.words[0];
    if (name == "rules") {
        return ReadRules(given);
    }
    if (name == "log") {
        return ReadLog(given);
    }
    if (name == "totals") {
        return ReadTotals(given);
    }
    if (name == "report") {
        return ReadReport(given);
    }
    if (name == "compare") {
        return ReadCompare(given);
    }
    if (name == "status") {
        AllowOnly(given, name, {"--json"});
        NoMoreWords(given, 1);
        return StatusCommand{given.Has("--json")};
    }
    if (name == "dial") {
        AllowOnly(given, name, {});
        NoMoreWords(given, 2);
        return DialCommand{given.words.size() > 1 ? given.words[1] : ""};
    }
    if (name == "bill") {
        return ReadBill(given);
    }
    if (name == "hangup") {
        AllowOnly(given, name, {});
        NoMoreWords(given, 1);
        return HangUpCommand{};
    }
    Refuse("unexpected argument '" + name + "'");
}

// The program itself: its own options, and none of a subcommand's.
Options ReadRun(const Given& given, Options options) {
    for (const std::string& name : given.Named()) {
        if (name != "--dialer" && name != "--lang" && name != "--headless" &&
            name != "--json-lines" && name != "--tray") {
            Refuse(name + " belongs to a subcommand (see --help)");
        }
    }
    options.dialer = given.Value("--dialer").value_or("");
    if (!options.dialer.empty() && !OneOf(options.dialer, kDialers)) {
        Refuse("unknown dialer '" + options.dialer + "' (use networkmanager, pppd or sim)");
    }
    options.language = given.Value("--lang").value_or("");
    if (!options.language.empty() && !OneOf(options.language, kLanguages)) {
        Refuse("unknown language '" + options.language + "' (use zh_CN or en)");
    }
    options.jsonLines = given.Has("--json-lines");
    // One JSON object per line is for programs, which have no use for a window.
    options.headless = given.Has("--headless") || options.jsonLines;
    options.startInTray = given.Has("--tray");
    return options;
}

std::string MissingValue(std::string_view name) {
    if (name == "--root") {
        return "--root needs a folder";
    }
    if (name == "--dialer") {
        return "--dialer needs a back-end name";
    }
    if (name == "--lang") {
        return "--lang needs a language: zh_CN or en";
    }
    return std::string(name) + " needs a value";
}

Given ReadGiven(int argc, const char* const* argv, ParseResult::Action& action) {
    Given given;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            action = ParseResult::Action::kHelp;
            return given;
        }
        if (arg == "--version") {
            action = ParseResult::Action::kVersion;
            return given;
        }
        if (OneOf(arg, kFlags)) {
            given.flags.emplace_back(arg);
            // A count may follow --months (compare), written either way.
            if (arg == "--months" && i + 1 < argc && IsCount(argv[i + 1])) {
                given.values[std::string(arg)] = argv[++i];
            }
            continue;
        }
        if (arg.starts_with("--months=")) {
            given.flags.emplace_back("--months");
            const std::string_view count = arg.substr(std::string_view("--months=").size());
            if (!IsCount(count)) {
                Refuse("--months needs a number of billing months from 1 to 999");
            }
            given.values["--months"] = std::string(count);
            continue;
        }
        // The options with a value take it as "--name VALUE" or "--name=VALUE".
        // A following word that starts with "-" is the next option, not a value:
        // "--root --headless" forgot the folder. A lone "-" is a value (stdout).
        const std::string_view name = arg.substr(0, arg.find('='));
        if (!OneOf(name, kValued)) {
            if (arg.starts_with('-') && arg != "-") {
                Refuse("unknown option '" + std::string(name) + "'");
            }
            given.words.emplace_back(arg);
            continue;
        }
        std::string value;
        if (name.size() < arg.size()) {
            value = arg.substr(name.size() + 1);
        } else if (i + 1 < argc && (std::string_view(argv[i + 1]) == "-" ||
                                    !std::string_view(argv[i + 1]).starts_with('-'))) {
            value = argv[++i];
        }
        if (value.empty()) {
            Refuse(MissingValue(name));
        }
        given.values[std::string(name)] = value;
    }
    return given;
}

}  // namespace

const char* TariffTypeWord(int type) {
    return type >= 0 && type < CompareCommand::kTypeCount ? kTariffWords[type].data() : "";
}

std::optional<YearMonth> ParseYearMonth(const std::string& text) {
    if (text.size() != 7 || text[4] != '-' || !AllDigits(text.substr(5))) {
        return std::nullopt;
    }
    const std::optional<int> year = ParseYear(text.substr(0, 4));
    const int month = std::stoi(text.substr(5));
    if (!year || month < 1 || month > 12) {
        return std::nullopt;
    }
    return YearMonth{*year, month};
}

ParseResult ParseCommandLine(int argc, const char* const* argv) {
    ParseResult result;
    try {
        const Given given = ReadGiven(argc, argv, result.action);
        if (result.action != ParseResult::Action::kRun) {
            return result;
        }
        if (const auto root = given.Value("--root")) {
            result.options.root = *root;
        }
        if (given.words.empty()) {
            result.options = ReadRun(given, result.options);
        } else {
            result.options.command = ReadSubcommand(given);
        }
    } catch (const Refused& refused) {
        result = {};
        result.action = ParseResult::Action::kError;
        result.error = refused.reason;
    }
    return result;
}

std::string UsageText() {
    return "usage: vornik [--root DIR] [--dialer networkmanager|pppd|sim] [--headless]\n"
           "              [--json-lines] [--tray] [--lang zh_CN|en]\n"
           "       vornik status [--json] [--root DIR]\n"
           "       vornik log [--month YYYY-MM] [--json|--csv] [--entry NAME] [--root DIR]\n"
           "       vornik log remove-old [--entry NAME] | compact | backup FILE [--replace] |\n"
           "              restore FILE | export FILE | import FILE [--root DIR]\n"
           "       vornik totals [--days|--months] [--month YYYY-MM | --year YYYY]\n"
           "              [--json|--csv] [--entry NAME] [--root DIR]\n"
           "       vornik report calls|days|year [--month YYYY-MM | --year YYYY]\n"
           "              [--format html|csv|json] [-o FILE] [--entry NAME] [--root DIR]\n"
           "       vornik compare --rules FILE | --type TYPE | --all-types [--months N]\n"
           "              [--month YYYY-MM] [--json] [--entry NAME] [--root DIR]\n"
           "       vornik dial [ENTRY] [--root DIR]\n"
           "       vornik hangup [--root DIR]\n"
           "       vornik rules export FILE [--root DIR]\n"
           "       vornik rules import FILE [--root DIR]\n"
           "       vornik rules show [--json] [--root DIR]\n"
           "       vornik bill set YYYY-MM AMOUNT | show [--json] [--entry NAME] [--root DIR]\n"
           "       vornik --help | --version\n";
}

std::string HelpText() {
    return UsageText() +
           "\n"
           "Vornik meters dial-up connections: it dials, charges every call under your\n"
           "tariff and keeps an encrypted log of every call.\n"
           "\n"
           "  --root DIR       use DIR as the program folder (call log, settings, reports)\n"
           "  --dialer NAME    use this dialer back-end: networkmanager, pppd or sim\n"
           "                   (sim is simulated; nothing it does is a real connection)\n"
           "  --headless       run on the terminal even when a display is available\n"
           "  --json-lines     run on the terminal and print one JSON object per event\n"
           "                   and per minute, for programs (implies --headless)\n"
           "  --tray           on the desktop, start with the window hidden in the\n"
           "                   notification area (as the start at login does)\n"
           "  --lang LANG      the windows' language: zh_CN (Chinese) or en (English);\n"
           "                   by default English in an English locale, else Chinese\n"
           "  -h, --help       print this help and exit\n"
           "  --version        print the version and exit\n"
           "\n"
           "Reading the call log, beside a running Vornik or without one. A month is a\n"
           "billing month, named after the month it ends in; the default is the current\n"
           "one, and the default entry the one used last (--entry NAME chooses another):\n"
           "  status           the call that is up, if any, and today's and this billing\n"
           "                   month's time, fee and bytes; --json as one JSON object\n"
           "  log              the calls of a billing month; --json or --csv for programs\n"
           "  totals           per day of a billing month (--days, the default), or per\n"
           "                   billing month of a year (--months, --year YYYY)\n"
           "  report calls|days|year\n"
           "                   write the report page (--format html, csv or json) into\n"
           "                   the program folder's report/ and print its path; -o FILE\n"
           "                   writes it there instead, -o - prints it\n"
           "  compare          what the calls of N billing months (--months N, default 3)\n"
           "                   up to this one or to --month YYYY-MM cost, and what they\n"
           "                   would have cost under the\n"
           "                   rules of a rule file (--rules FILE), under your own values\n"
           "                   for another tariff (--type baoshi|jishi|baoyue|liuliang),\n"
           "                   or under each of the four in turn (--all-types); per\n"
           "                   billing month and in total; --json as one JSON object\n"
           "  bill set YYYY-MM AMOUNT\n"
           "                   keep what the provider billed for a billing month (the\n"
           "                   recorded fees never change)\n"
           "  bill show        each bill beside the recorded fee, and the correction\n"
           "                   learned from two or more bills; --json for programs\n"
           "\n"
           "Looking after the call log (one line for scripts: removed N, compacted\n"
           "BYTES -> BYTES, backed-up FILE, restored FILE, exported|imported N copied M\n"
           "present); a running Vornik of the folder compacts and restores itself:\n"
           "  log remove-old   remove the calls of the entry (--entry NAME, default the one\n"
           "                   used last) that ended three months before the first fee day\n"
           "  log compact      rewrite the log compactly; refused while a call is up\n"
           "  log backup FILE  copy the log to FILE (a log too); --replace an existing FILE\n"
           "  log restore FILE replace the log by the log FILE, checked first; the old log\n"
           "                   is kept as db/diallog.before-restore.db\n"
           "  log export FILE  add the calls of the log to the log FILE (made when missing);\n"
           "                   a call whose begin second FILE already holds is skipped\n"
           "  log import FILE  add the calls of the log FILE to the log, alike\n"
           "\n"
           "Driving a running Vornik (desktop or terminal) of the same program folder:\n"
           "  dial [ENTRY]     dial the entry (default: the one it shows)\n"
           "  hangup           hang up\n"
           "\n"
           "Rules (the tariff settings, discount windows and holidays), whether or not\n"
           "Vornik is running; a running Vornik takes imported rules at once:\n"
           "  rules export FILE   write the rules to a rule file (UTF-8, as 导出规则)\n"
           "  rules import FILE   replace the rules by those of a rule file (UTF-8 or\n"
           "                      GB18030), all or nothing; lines it cannot read are named\n"
           "  rules show          list the rules in force; --json as one JSON object\n"
           "\n"
           "Exit status: 0 done; 1 failed, or done only in part (no log in the program\n"
           "folder, a month without calls for a report, no running Vornik to dial or hang\n"
           "up, rows left out of an export, lines skipped by an import, a running Vornik\n"
           "that did not take the new rules, a log operation that failed or was refused);\n"
           "2 a mistake on the command line.\n";
}

std::string VersionText() {
    return std::string("vornik ") + VORNIK_VERSION + "\n";
}

namespace {

// Help and version are the whole answer: when they cannot be written (a full
// disk, a closed terminal), a script must not take the silence for them.
int Written(std::ostream& out, const std::string& text, std::ostream& err) {
    out << text << std::flush;
    if (out) {
        return 0;
    }
    err << "vornik: cannot write to standard output\n";
    return 1;
}

}  // namespace

std::optional<int> Answer(const ParseResult& result, std::ostream& out, std::ostream& err) {
    switch (result.action) {
        case ParseResult::Action::kRun:
            return std::nullopt;
        case ParseResult::Action::kHelp:
            return Written(out, HelpText(), err);
        case ParseResult::Action::kVersion:
            return Written(out, VersionText(), err);
        case ParseResult::Action::kError:
            err << "vornik: " << result.error << '\n' << UsageText();
            return 2;
    }
    return 2;
}

}  // namespace vornik::cli
