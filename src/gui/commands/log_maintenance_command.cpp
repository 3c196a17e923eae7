#include "commands/log_maintenance_command.h"

#include <QString>
#include <filesystem>
#include <optional>
#include <ostream>

#include "app/program_start.h"
#include "app/single_instance.h"
#include "base/clock.h"
#include "commands/log_reading.h"
#include "maintenance/log_jobs.h"

namespace vornik::gui {
namespace {

namespace fs = std::filesystem;
using Verb = cli::LogMaintenanceCommand::Verb;

// A compaction of a large log takes a while; the instance answers when done.
constexpr int kInstanceJobWaitMs = 60 * 60 * 1000;

LogJobKind KindOf(Verb verb) {
    switch (verb) {
        case Verb::kRemoveOld:
            return LogJobKind::kRemoveOld;
        case Verb::kCompact:
            return LogJobKind::kCompact;
        case Verb::kBackup:
            return LogJobKind::kBackup;
        case Verb::kRestore:
            return LogJobKind::kRestore;
        case Verb::kExport:
            return LogJobKind::kExport;
        case Verb::kImport:
            return LogJobKind::kImport;
    }
    return LogJobKind::kCompact;
}

// The outcome line on stdout; a failure's reason on stderr.
int Print(const std::string& line, std::ostream& out, std::ostream& err) {
    if (line.empty()) {
        err << "vornik: 正在运行的 Vornik 没有应答。" << std::endl;
        return 1;
    }
    if (line.starts_with("error ")) {
        err << "vornik: " << line.substr(6) << std::endl;
        return 1;
    }
    out << line << std::endl;
    return 0;
}

// Nothing when no instance of the folder runs.
std::optional<std::string> AskInstance(const cli::Options& options, const LogJob& job) {
    const QString folder = QString::fromStdString(ChosenProgramFolder(options).root.string());
    const bool compact = job.kind == LogJobKind::kCompact;
    return SingleInstance::AskCommand(folder, compact ? "log-compact" : "log-restore",
                                      compact ? std::string() : job.file.string(),
                                      kInstanceJobWaitMs);
}

int RunHere(const cli::Options& options, const cli::LogMaintenanceCommand& command, LogJob job,
            std::ostream& out, std::ostream& err) {
    LogReading reading(options);
    if (!reading.Open(err)) {
        return 1;
    }
    job.entry = reading.Entry(command.entry);
    job.today = SystemClock().Now();
    job.firstFeeDay = reading.FirstFeeDay();
    reading.Db().CloseDatabase();
    return Print(RunLogJob(job, reading.Folder().DatabaseFile(), reading.Log()).line, out, err);
}

}  // namespace

int RunLogMaintenanceCommand(const cli::Options& options, const cli::LogMaintenanceCommand& command,
                             std::ostream& out, std::ostream& err) {
    LogJob job = JobOf(KindOf(command.verb));
    if (!command.file.empty()) {
        // The running instance has a working folder of its own.
        job.file = fs::absolute(command.file);
    }
    // A script has no one to ask: a missing target of an export is made.
    job.createIfMissing = true;
    if (job.kind == LogJobKind::kBackup && !command.replace && fs::exists(job.file)) {
        err << "vornik: " << job.file.string() << " 已经存在；--replace 替换它。" << std::endl;
        return 1;
    }
    if (ReplacesLog(job.kind)) {
        if (const std::optional<std::string> answer = AskInstance(options, job)) {
            return Print(*answer, out, err);
        }
    }
    return RunHere(options, command, job, out, err);
}

}  // namespace vornik::gui
