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

    const Outcome joined = Parse({"--dialer=sim", "--root=relative/folder"});
    EXPECT_EQ(joined.code, std::nullopt);
    EXPECT_EQ(joined.options.root, "relative/folder");
    EXPECT_EQ(joined.options.dialer, "sim");
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
    ASSERT_TRUE(exported.options.rules);
    EXPECT_EQ(exported.options.rules->verb, Verb::kExport);
    EXPECT_EQ(exported.options.rules->file, "out.ini");
    EXPECT_EQ(exported.options.root, "/srv/meter");
    const Outcome imported = Parse({"--root", "r", "rules", "import", "in.ini"});
    ASSERT_TRUE(imported.options.rules);
    EXPECT_EQ(imported.options.rules->verb, Verb::kImport);
    const Outcome shown = Parse({"rules", "--json", "show"});
    ASSERT_TRUE(shown.options.rules);
    EXPECT_EQ(shown.options.rules->verb, Verb::kShow);
    EXPECT_TRUE(shown.options.rules->json);
    EXPECT_FALSE(Parse({}).options.rules);

    const std::vector<std::pair<std::vector<const char*>, std::string>> mistakes = {
        {{"rules"}, "'vornik rules' needs export FILE, import FILE or show"},
        {{"rules", "drop"}, "'vornik rules' needs export FILE, import FILE or show"},
        {{"rules", "export"}, "'vornik rules export' takes one FILE and no --json"},
        {{"rules", "import", "a", "b"}, "'vornik rules import' takes one FILE and no --json"},
        {{"rules", "show", "now"}, "unexpected argument 'now'"},
        {{"rules", "show", "--headless"}, "'vornik rules' takes neither --dialer nor --headless"},
        {{"--json"}, "--json belongs to 'vornik rules show'"},
    };
    for (const auto& [args, reason] : mistakes) {
        const Outcome outcome = Parse(args);
        EXPECT_EQ(outcome.code, 2) << reason;
        EXPECT_EQ(outcome.err, "vornik: " + reason + "\n" + UsageText());
    }
}

}  // namespace
}  // namespace vornik::cli
