#include "app/program_start.h"

#include <QCoreApplication>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "probe/ping_probe.h"

namespace vornik::gui {
namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

ProgramFolderSources FolderSources(const cli::Options& options) {
    ProgramFolderSources sources;
    sources.rootOption = options.root;
    sources.executableFolder = QCoreApplication::applicationDirPath().toStdString();
    sources.xdgDataHome = Environment("XDG_DATA_HOME");
    sources.home = Environment("HOME");
    return sources;
}

int Refuse(Front& front, const QString& text, bool inBox, int code) {
    std::cerr << text.toStdString() << std::endl;
    if (inBox) {
        front.ShowRefusal(text);
    }
    return code;
}

}  // namespace

ProgramFolder ChosenProgramFolder(const cli::Options& options) {
    return ResolveProgramFolder(FolderSources(options));
}

int RunProgram(const cli::Options& options, Front& front) {
    QCoreApplication::setApplicationName(QStringLiteral("Vornik"));
    const ProgramFolder folder = ChosenProgramFolder(options);
    const ErrorLog log(folder.ErrorLogFile());
    auto trace = [&log](const std::string& line) { log.Write(line); };
    front.Prepare(log);
    const bool window = front.HasWindow();
    std::string error;
    if (!PrepareProgramFolder(folder, error, trace)) {
        return Refuse(front,
                      QCoreApplication::translate("vornik::gui::SingleInstance",
                                                  "Vornik 无法启动：无法建立程序文件夹：") +
                          QString::fromStdString(error),
                      window, 1);
    }
    SingleInstance instance(QString::fromStdString(folder.root.string()), window, trace);
    using Outcome = SingleInstance::Outcome;
    const SingleInstance::Claimed claimed = instance.Claim();
    if (claimed.outcome == Outcome::kCannotStart) {
        return Refuse(front, claimed.message, window, 1);
    }
    if (claimed.outcome == Outcome::kAnotherRunning) {
        // A window that came forward says enough on the desktop.
        return Refuse(front, claimed.message, window && !claimed.windowShown, 0);
    }

    Dbio db(folder.DatabaseFile(), log);
    db.OpenDatabase();
    if (const std::string failure = db.OpenFailure(); !failure.empty()) {
        std::cerr << "vornik: " << failure << '\n';
    }
    SystemClock clock;
    NoticeSink notices = [](const std::string& notice) { std::cout << notice << std::endl; };
    ChosenDialer chosen = ChooseDialer(
        options.dialer, folder, clock,
        {[&notices](const std::string& notice) { notices(notice); }, trace, front.Editor()});
    if (!chosen.dialer) {
        std::cerr << "vornik: " << chosen.error << '\n';
        return 2;
    }
    PingProbe probe(trace);
    StartedParts parts{folder, db, log, chosen, probe, clock, instance, notices};
    return front.Run(parts);
}

}  // namespace vornik::gui
