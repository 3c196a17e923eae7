#include "command_line.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vornik::cli {
namespace {

constexpr std::array<std::string_view, 3> kDialers = {"networkmanager", "pppd", "sim"};

ParseResult Refuse(std::string reason) {
    ParseResult result;
    result.action = ParseResult::Action::kError;
    result.error = std::move(reason);
    return result;
}

bool IsKnownDialer(std::string_view name) {
    for (const std::string_view known : kDialers) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

// The words that are not options: nothing, or a subcommand with its arguments.
ParseResult ReadWords(ParseResult result, const std::vector<std::string>& words, bool json) {
    if (words.empty()) {
        return json ? Refuse("--json belongs to 'vornik rules show'") : result;
    }
    if (words[0] != "rules") {
        return Refuse("unexpected argument '" + words[0] + "'");
    }
    if (result.options.headless || !result.options.dialer.empty()) {
        return Refuse("'vornik rules' takes neither --dialer nor --headless");
    }
    using Verb = RulesCommand::Verb;
    const std::string verb = words.size() > 1 ? words[1] : "";
    RulesCommand command;
    if (verb == "export" || verb == "import") {
        if (words.size() != 3 || json) {
            return Refuse("'vornik rules " + verb + "' takes one FILE and no --json");
        }
        command.verb = verb == "export" ? Verb::kExport : Verb::kImport;
        command.file = words[2];
    } else if (verb == "show") {
        if (words.size() != 2) {
            return Refuse("unexpected argument '" + words[2] + "'");
        }
        command.json = json;
    } else {
        return Refuse("'vornik rules' needs export FILE, import FILE or show");
    }
    result.options.rules = command;
    return result;
}

}  // namespace

ParseResult ParseCommandLine(int argc, const char* const* argv) {
    ParseResult result;
    std::vector<std::string> words;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            result.action = ParseResult::Action::kHelp;
            return result;
        }
        if (arg == "--version") {
            result.action = ParseResult::Action::kVersion;
            return result;
        }
        if (arg == "--headless") {
            result.options.headless = true;
            continue;
        }
        if (arg == "--json") {
            json = true;
            continue;
        }
        // The options with a value take it as "--name VALUE" or "--name=VALUE".
        // A following word that starts with "-" is the next option, not a value:
        // "--root --headless" forgot the folder.
        const std::string_view name = arg.substr(0, arg.find('='));
        if (name != "--root" && name != "--dialer") {
            if (arg.starts_with('-')) {
                return Refuse("unknown option '" + std::string(name) + "'");
            }
            words.emplace_back(arg);
            continue;
        }
        std::string value;
        if (name.size() < arg.size()) {
            value = arg.substr(name.size() + 1);
        } else if (i + 1 < argc && !std::string_view(argv[i + 1]).starts_with('-')) {
            value = argv[++i];
        }
        if (value.empty()) {
            return Refuse(std::string(name) +
                          (name == "--root" ? " needs a folder" : " needs a back-end name"));
        }
        if (name == "--root") {
            result.options.root = value;
        } else if (IsKnownDialer(value)) {
            result.options.dialer = value;
        } else {
            return Refuse("unknown dialer '" + value + "' (use networkmanager, pppd or sim)");
        }
    }
    return ReadWords(std::move(result), words, json);
}

std::string UsageText() {
    return "usage: vornik [--root DIR] [--dialer networkmanager|pppd|sim] [--headless]\n"
           "       vornik rules export FILE [--root DIR]\n"
           "       vornik rules import FILE [--root DIR]\n"
           "       vornik rules show [--json] [--root DIR]\n"
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
           "  -h, --help       print this help and exit\n"
           "  --version        print the version and exit\n"
           "\n"
           "Rules (the tariff settings, discount windows and holidays), whether or not\n"
           "Vornik is running; a running Vornik takes imported rules at once:\n"
           "  rules export FILE   write the rules to a rule file (UTF-8, as 导出规则)\n"
           "  rules import FILE   replace the rules by those of a rule file (UTF-8 or\n"
           "                      GB18030), all or nothing; lines it cannot read are named\n"
           "  rules show          list the rules in force; --json as one JSON object\n"
           "\n"
           "Exit status: 0 done; 1 failed, or done only in part (rows left out of an\n"
           "export, lines skipped by an import, a running Vornik that did not take the\n"
           "new rules); 2 a mistake on the command line.\n";
}

std::string VersionText() {
    return std::string("vornik ") + VORNIK_VERSION + "\n";
}

std::optional<int> Answer(const ParseResult& result, std::ostream& out, std::ostream& err) {
    switch (result.action) {
        case ParseResult::Action::kRun:
            return std::nullopt;
        case ParseResult::Action::kHelp:
            out << HelpText();
            return 0;
        case ParseResult::Action::kVersion:
            out << VersionText();
            return 0;
        case ParseResult::Action::kError:
            err << "vornik: " << result.error << '\n' << UsageText();
            return 2;
    }
    return 2;
}

}  // namespace vornik::cli
