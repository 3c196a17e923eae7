#include "command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace vornik::cli {
namespace {

struct Outcome {
    std::optional<int> code;
    std::string out;
    std::string err;
    Options options;
};

Outcome Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vornik");
    const ParseResult result = ParseCommandLine(static_cast<int>(args.size()), args.data());
    std::ostringstream out;
    std::ostringstream err;
    Outcome outcome;
    outcome.code = Answer(result, out, err);
    outcome.out = out.str();
    outcome.err = err.str();
    outcome.options = result.options;
    return outcome;
}

TEST(CommandLineTest, OptionsAreReadWithTheirValueAfterASpaceOrAnEqualsSign) {
    const Outcome none = Parse({});
    EXPECT_EQ(none.code, std::nullopt);
    EXPECT_EQ(none.options.root, std::nullopt);
    EXPECT_EQ(none.options.dialer, "");
    EXPECT_FALSE(none.options.headless);

    const Outcome spaced = Parse({"--root", "/srv/meter", "--dialer", "pppd", "--headless"});
    EXPECT_EQ(spaced.code, std::nullopt);
    EXPECT_EQ(spaced.options.root, "/srv/meter");
    EXPECT_EQ(spaced.options.dialer, "pppd");
    EXPECT_TRUE(spaced.options.headless);

    const Outcome joined = Parse({"--dialer=sim", "--root=relative/folder", "--lang=en"});
    EXPECT_EQ(joined.code, std::nullopt);
    EXPECT_EQ(joined.options.root, "relative/folder");
    EXPECT_EQ(joined.options.dialer, "sim");
    EXPECT_EQ(joined.options.language, "en");
    EXPECT_EQ(Parse({"--lang", "zh_CN"}).options.language, "zh_CN");
    EXPECT_FALSE(joined.options.headless);
    EXPECT_EQ(joined.out + joined.err, "");
}

TEST(CommandLineTest, AMistakeIsNamedOnOneLineFollowedByTheUsage) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> mistakes = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--headless=yes"}, "unknown option '--headless'"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--root"}, "--root needs a folder"},
        {{"--root", "--headless"}, "--root needs a folder"},
        {{"--root="}, "--root needs a folder"},
        {{"--dialer"}, "--dialer needs a back-end name"},
        {{"--dialer", "modem"}, "unknown dialer 'modem' (use networkmanager, pppd or sim)"},
        {{"--dialer=SIM"}, "unknown dialer 'SIM' (use networkmanager, pppd or sim)"},
        {{"--lang"}, "--lang needs a language: zh_CN or en"},
        {{"--lang", "en_US"}, "unknown language 'en_US' (use zh_CN or en)"},
        {{"status", "--lang=en"}, "'vornik status' does not take --lang"},
    };
    for (const auto& [args, reason] : mistakes) {
        const Outcome outcome = Parse(args);
        EXPECT_EQ(outcome.code, 2) << reason;
        EXPECT_EQ(outcome.out, "") << reason;
        EXPECT_EQ(outcome.err, "vornik: " + reason + "\n" + UsageText());
    }
}

TEST(CommandLineTest, RulesSubcommandsTakeTheirArgumentsAndTheRoot) {
    using Verb = RulesCommand::Verb;
    const Outcome exported = Parse({"rules", "export", "out.ini", "--root=/srv/meter"});
    EXPECT_EQ(exported.code, std::nullopt);
    const auto* exportRules = std::get_if<RulesCommand>(&exported.options.command);
    ASSERT_TRUE(exportRules);
    EXPECT_EQ(exportRules->verb, Verb::kExport);
    EXPECT_EQ(exportRules->file, "out.ini");
    EXPECT_EQ(exported.options.root, "/srv/meter");
    const Outcome imported = Parse({"--root", "r", "rules", "import", "in.ini"});
    const auto* importRules = std::get_if<RulesCommand>(&imported.options.command);
    ASSERT_TRUE(importRules);
    EXPECT_EQ(importRules->verb, Verb::kImport);
    const Outcome shown = Parse({"rules", "--json", "show"});
    const auto* showRules = std::get_if<RulesCommand>(&shown.options.command);
    ASSERT_TRUE(showRules);
    EXPECT_EQ(showRules->verb, Verb::kShow);
    EXPECT_TRUE(showRules->json);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Parse({}).options.command));

    const std::vector<std::pair<std::vector<const char*>, std::string>> mistakes = {
        {{"rules"}, "'vornik rules' needs export FILE, import FILE or show"},
        {{"rules", "drop"}, "'vornik rules' needs export FILE, import FILE or show"},
        {{"rules", "export"}, "'vornik rules export' takes one FILE and no --json"},
        {{"rules", "import", "a", "b"}, "'vornik rules import' takes one FILE and no --json"},
        {{"rules", "show", "now"}, "unexpected argument 'now'"},
        {{"rules", "show", "--headless"}, "'vornik rules' does not take --headless"},
        {{"--json"}, "--json belongs to a subcommand (see --help)"},
    };
    for (const auto& [args, reason] : mistakes) {
        const Outcome outcome = Parse(args);
        EXPECT_EQ(outcome.code, 2) << reason;
        EXPECT_EQ(outcome.err, "vornik: " + reason + "\n" + UsageText());
    }
}

TEST(CommandLineTest, JsonLinesRunsHeadless) {
    const Outcome lines = Parse({"--json-lines", "--dialer", "sim"});
    EXPECT_EQ(lines.code, std::nullopt);
    EXPECT_TRUE(lines.options.jsonLines);
    EXPECT_TRUE(lines.options.headless);
    EXPECT_FALSE(Parse({"--headless"}).options.jsonLines);
    EXPECT_TRUE(Parse({"--tray"}).options.startInTray);
    EXPECT_FALSE(Parse({"--headless"}).options.startInTray);
}

TEST(CommandLineTest, ReadingCommandsTakeTheirSelectionAndForm) {
    const Outcome log = Parse({"log", "--month", "2006-05", "--csv", "--entry=ADSL"});
    const auto* logCommand = std::get_if<LogCommand>(&log.options.command);
    ASSERT_TRUE(logCommand) << log.err;
    EXPECT_EQ(logCommand->selection.month, (YearMonth{2006, 5}));
    EXPECT_EQ(logCommand->selection.entry, "ADSL");
    EXPECT_EQ(logCommand->listing, Listing::kCsv);

    const Outcome totals = Parse({"totals", "--months", "--year", "2007", "--json"});
    const auto* totalsCommand = std::get_if<TotalsCommand>(&totals.options.command);
    ASSERT_TRUE(totalsCommand) << totals.err;
    EXPECT_TRUE(totalsCommand->byMonth);
    EXPECT_EQ(totalsCommand->selection.year, 2007);
    EXPECT_EQ(totalsCommand->listing, Listing::kJson);

    const Outcome report = Parse({"report", "days", "--format", "json", "-o", "-"});
    const auto* reportCommand = std::get_if<ReportCommand>(&report.options.command);
    ASSERT_TRUE(reportCommand) << report.err;
    EXPECT_EQ(reportCommand->kind, ReportCommand::Kind::kDays);
    EXPECT_EQ(reportCommand->format, ReportCommand::Format::kJson);
    EXPECT_EQ(reportCommand->output, "-");
    EXPECT_FALSE(reportCommand->selection.month);

    const Outcome dial = Parse({"dial", "宽带", "--root", "/r"});
    const auto* dialCommand = std::get_if<DialCommand>(&dial.options.command);
    ASSERT_TRUE(dialCommand);
    EXPECT_EQ(dialCommand->entry, "宽带");
    EXPECT_TRUE(std::holds_alternative<HangUpCommand>(Parse({"hangup"}).options.command));
    const Outcome status = Parse({"status", "--json"});
    ASSERT_TRUE(std::holds_alternative<StatusCommand>(status.options.command));
    EXPECT_TRUE(std::get<StatusCommand>(status.options.command).json);

    const std::vector<std::pair<std::vector<const char*>, std::string>> mistakes = {
        {{"log", "--month", "2006-13"},
         "--month needs a month as YYYY-MM (such as 2006-05), not '2006-13'"},
        {{"log", "--month=May"}, "--month needs a month as YYYY-MM (such as 2006-05), not 'May'"},
        {{"log", "--json", "--csv"}, "--json and --csv exclude each other"},
        {{"log", "--headless"}, "'vornik log' does not take --headless"},
        {{"totals", "--days", "--months"}, "--days and --months exclude each other"},
        {{"totals", "--months", "--month", "2006-05"},
         "'vornik totals --months' takes --year, not --month"},
        {{"totals", "--year", "06"}, "--year needs a year as YYYY (such as 2006), not '06'"},
        {{"report"}, "'vornik report' needs calls, days or year"},
        {{"report", "calls", "--format", "pdf"},
         "unknown report format 'pdf' (use html, csv or json)"},
        {{"report", "calls", "-o"}, "-o needs a value"},
        {{"status", "--csv"}, "'vornik status' does not take --csv"},
        {{"dial", "a", "b"}, "unexpected argument 'b'"},
        {{"hangup", "--json"}, "'vornik hangup' does not take --json"},
        {{"--month", "2006-05"}, "--month belongs to a subcommand (see --help)"},
    };
    for (const auto& [args, reason] : mistakes) {
        const Outcome outcome = Parse(args);
        EXPECT_EQ(outcome.code, 2) << reason;
        EXPECT_EQ(outcome.err, "vornik: " + reason + "\n" + UsageText());
    }
}

TEST(CommandLineTest, LogVerbsTakeAFileOrTheirOneOption) {
    using Verb = LogMaintenanceCommand::Verb;
    const Outcome backup = Parse({"log", "backup", "copy.db", "--replace", "--root", "/r"});
    const auto* command = std::get_if<LogMaintenanceCommand>(&backup.options.command);
    ASSERT_TRUE(command) << backup.err;
    EXPECT_EQ(command->verb, Verb::kBackup);
    EXPECT_EQ(command->file, "copy.db");
    EXPECT_TRUE(command->replace);
    const Outcome removal = Parse({"log", "remove-old", "--entry", "ADSL"});
    command = std::get_if<LogMaintenanceCommand>(&removal.options.command);
    ASSERT_TRUE(command) << removal.err;
    EXPECT_EQ(command->verb, Verb::kRemoveOld);
    EXPECT_EQ(command->entry, "ADSL");

    for (const std::vector<const char*>& wrong : {std::vector<const char*>{"log", "restore"},
                                                  {"log", "compact", "extra"},
                                                  {"log", "export", "a.db", "--replace"},
                                                  {"log", "compact", "--entry", "x"},
                                                  {"log", "shrink"}}) {
        EXPECT_EQ(Parse(wrong).code, 2) << wrong[1];
    }
    EXPECT_NE(Parse({"--help"}).out.find("log restore FILE"), std::string::npos);
}

TEST(CommandLineTest, CompareTakesOneSourceAndACountOfMonths) {
    using Source = CompareCommand::Source;
    struct Case {
        std::vector<const char*> args;
        Source source;
        int type;
        int months;
        bool json;
    } const read[] = {
        {{"compare", "--rules", "rule.ini"}, Source::kRuleFile, 0, 3, false},
        {{"compare", "--type=liuliang", "--months", "12", "--json"}, Source::kType, 3, 12, true},
        {{"compare", "--all-types", "--months=1"}, Source::kAllTypes, 0, 1, false},
    };
    for (const Case& c : read) {
        const Outcome outcome = Parse(c.args);
        ASSERT_EQ(outcome.code, std::nullopt) << outcome.err;
        const auto& command = std::get<CompareCommand>(outcome.options.command);
        EXPECT_EQ(command.source, c.source);
        EXPECT_EQ(command.type, c.type);
        EXPECT_EQ(command.months, c.months);
        EXPECT_EQ(command.json, c.json);
    }
    EXPECT_EQ(std::get<CompareCommand>(Parse(read[0].args).options.command).rules, "rule.ini");
    const auto until = std::get<CompareCommand>(
        Parse({"compare", "--all-types", "--month", "2006-05", "--entry", "GPRS"}).options.command);
    EXPECT_EQ(until.selection.month, (YearMonth{2006, 5}));
    EXPECT_EQ(until.selection.entry, "GPRS");

    const std::vector<std::pair<std::vector<const char*>, std::string>> mistakes = {
        {{"compare"}, "'vornik compare' needs one of --rules FILE, --type TYPE or --all-types"},
        {{"compare", "--all-types", "--type", "jishi"},
         "'vornik compare' needs one of --rules FILE, --type TYPE or --all-types"},
        {{"compare", "--type", "daily"},
         "unknown tariff type 'daily' (use baoshi, jishi, baoyue or liuliang)"},
        {{"compare", "--all-types", "--months"},
         "--months needs a number of billing months from 1 to 999"},
        {{"compare", "--all-types", "--months=0"},
         "--months needs a number of billing months from 1 to 999"},
        {{"compare", "--all-types", "--csv"}, "'vornik compare' does not take --csv"},
        {{"compare", "--all-types", "--year", "2006"}, "'vornik compare' does not take --year"},
        {{"totals", "--months", "3"}, "'vornik totals --months' takes no count, not '3'"},
    };
    for (const auto& [args, reason] : mistakes) {
        const Outcome outcome = Parse(args);
        EXPECT_EQ(outcome.code, 2);
        EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')), "vornik: " + reason);
    }
}

}  // namespace
}  // namespace vornik::cli
