// The program's command line. It is read before any window system is touched, so
// that --help, --version and a mistyped option are answered on a machine whose
// display does not answer, and without Qt taking arguments of its own.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vornik::cli {

// vornik rules export FILE | import FILE | show [--json]
struct RulesCommand {
    enum class Verb { kExport, kImport, kShow };
    Verb verb = Verb::kShow;
    std::filesystem::path file;  // export and import
    bool json = false;           // show
};

struct Options {
    std::optional<std::filesystem::path> root;  // --root DIR
    std::string dialer;                         // --dialer NAME; empty: chosen at start
    bool headless = false;                      // --headless
    // A subcommand runs instead of the program and ends.
    std::optional<RulesCommand> rules;
};

struct ParseResult {
    enum class Action { kRun, kHelp, kVersion, kError };
    Action action = Action::kRun;
    Options options;    // when the action is kRun
    std::string error;  // when the action is kError: one line, without the usage
};

// Reads argv[1..argc-1]; argv[0] is the program's own name and is not looked at.
ParseResult ParseCommandLine(int argc, const char* const* argv);

std::string UsageText();
std::string HelpText();
std::string VersionText();

// Answers help, version and mistakes: prints what the user asked for (or why the
// line was refused, with the usage) and returns the exit code. Empty when the
// program is to run.
std::optional<int> Answer(const ParseResult& result, std::ostream& out, std::ostream& err);

}  // namespace vornik::cli
