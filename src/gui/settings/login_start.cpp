#include "settings/login_start.h"

#include <cstdlib>
#include <string_view>
#include <system_error>

#include "base/atomic_file.h"

namespace vornik::gui {
namespace {

namespace fs = std::filesystem;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool NeedsQuotes(const std::string& argument) {
    return argument.empty() ||
           argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
}

// Inside double quotes a quote, a backquote, a dollar sign and a backslash are
// taken literally only after a backslash; a percent sign is always doubled, as
// it would start a field code.
std::string ExecArgument(const std::string& argument) {
    std::string quoted;
    for (const char c : argument) {
        if (c == '%') {
            quoted += "%%";
            continue;
        }
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return NeedsQuotes(argument) ? '"' + quoted + '"' : quoted;
}

// A string value of the file: backslashes and line ends escaped once more.
std::string FileString(std::string_view value) {
    std::string escaped;
    for (const char c : value) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

}  // namespace

fs::path LoginStartFile() {
    fs::path config = Variable("XDG_CONFIG_HOME");
    if (!config.is_absolute()) {
        config = fs::path(Variable("HOME")) / ".config";
    }
    return config / "autostart" / "vornik.desktop";
}

bool LoginStartOn() {
    std::error_code ec;
    return fs::is_regular_file(LoginStartFile(), ec);
}

std::string DesktopExecValue(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        line += (line.empty() ? "" : " ") + ExecArgument(argument);
    }
    return FileString(line);
}

Result<> SetLoginStart(bool on, const std::vector<std::string>& command) {
    const fs::path file = LoginStartFile();
    if (on) {
        const std::string entry =
            "[Desktop Entry]\nType=Application\nName=Vornik\nExec=" + DesktopExecValue(command) +
            "\nIcon=" VORNIK_APP_ID "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
        constexpr fs::perms kReadable = fs::perms::owner_read | fs::perms::owner_write |
                                        fs::perms::group_read | fs::perms::others_read;
        if (const Result<> written = WriteFileAtomically(file, entry, kReadable); !written) {
            return Result<>::Failure("无法写入自动启动文件（" + written.Error() + "）");
        }
        return Result<>::Success();
    }
    std::error_code ec;
    fs::remove(file, ec);
    if (ec) {
        return Result<>::Failure("无法删除自动启动文件 " + file.string() + "（" + ec.message() +
                                 "）");
    }
    return Result<>::Success();
}

}  // namespace vornik::gui
