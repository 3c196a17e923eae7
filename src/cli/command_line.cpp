#include "command_line.h"

#include <array>
#include <string_view>

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

}  // namespace

ParseResult ParseCommandLine(int argc, const char* const* argv) {
    ParseResult result;
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
        // The options with a value take it as "--name VALUE" or "--name=VALUE".
        // A following word that starts with "-" is the next option, not a value:
        // "--root --headless" forgot the folder.
        const std::string_view name = arg.substr(0, arg.find('='));
        if (name != "--root" && name != "--dialer") {
            if (arg.starts_with('-')) {
                return Refuse("unknown option '" + std::string(name) + "'");
            }
            return Refuse("unexpected argument '" + std::string(arg) + "'");
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
    return result;
}

std::string UsageText() {
    return "usage: vornik [--root DIR] [--dialer networkmanager|pppd|sim] [--headless]\n"
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
           "  --version        print the version and exit\n";
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
