#include "maintenance/log_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <filesystem>
#include <string_view>

#include "app/core_text.h"
#include "app/file_chooser.h"
#include "app/prompter.h"
#include "app/session.h"
#include "maintenance/log_job_runner.h"
#include "maintenance/log_maintenance.h"

namespace vornik::gui {
namespace {

QString Q(const char* text) {
    return CoreText(text);
}

QString LogFileFilter() {
    return QtFilter(Q(kLogFileFilter));
}

// The core's text, written as the user reads it, with its one backslash.
constexpr std::string_view kRestoreWarningRaw =
    R"(选定文件将要覆盖程序安装目录下拨号记录(db\DialLog.db))";
static_assert(kRestoreWarningRaw == kRestoreWarningText);

// Saving never replaces silently: backup asks itself before it replaces a file,
// and export adds to an existing log rather than replacing it.
constexpr bool kDialogConfirmsOverwrite = false;

bool SameFile(const QString& one, const QString& other) {
    std::error_code error;
    return std::filesystem::equivalent(PathOf(one), PathOf(other), error);
}

// Shown while a job runs; the window's thread keeps metering behind it.
QProgressDialog* ShowBusy(QWidget* window) {
    auto* busy = new QProgressDialog(QCoreApplication::translate("LogCommands", "请稍候……"),
                                     QString(), 0, 0, window);
    busy->setObjectName(QStringLiteral("logJobBusy"));
    busy->setWindowTitle(kApplicationTitle);
    busy->setWindowModality(Qt::WindowModal);
    busy->setMinimumDuration(0);
    busy->setCancelButton(nullptr);
    busy->setAutoClose(false);
    busy->show();
    return busy;
}

}  // namespace

LogCommands::LogCommands(Session& session, LogJobRunner& runner, Prompter& prompter,
                         const Clock& clock, QString programFolder, QWidget* window)
    : session_(session),
      runner_(runner),
      prompter_(prompter),
      clock_(clock),
      folder_(std::move(programFolder)),
      window_(window),
      dialogs_(std::make_unique<DialogFileChooser>(kDialogConfirmsOverwrite)),
      chooser_(dialogs_.get()) {}

LogCommands::~LogCommands() = default;

QString LogCommands::DbFolder() const {
    return QDir(folder_).filePath(QStringLiteral("db"));
}

QString LogCommands::LogFile() const {
    return QDir(DbFolder()).filePath(QStringLiteral("diallog.db"));
}

void LogCommands::Tell(const std::string& text) {
    prompter_.ShowMessage(window_, CoreText(text), [] {});
}

void LogCommands::Run(const LogJob& job) {
    if (runner_.Busy()) {
        Tell(QT_TRANSLATE_NOOP("core", "另一项拨号记录操作还没有结束，请稍后再试。"));
        return;
    }
    QProgressDialog* busy = ShowBusy(window_);
    runner_.Start(job, [this, busy](const LogJobOutcome& outcome) {
        busy->close();
        busy->deleteLater();
        Tell(outcome.message);
    });
}

void LogCommands::RemoveOld() {
    prompter_.AskYesNo(window_, Q(kConfirmRemoveText), [this](bool yes) {
        if (!yes) {
            return;
        }
        LogJob job = JobOf(LogJobKind::kRemoveOld);
        job.entry = session_.Figures().entryName;
        job.today = clock_.Now();
        job.firstFeeDay = session_.Rules().firstFeeDay;
        Run(job);
    });
}

void LogCommands::Compact() {
    if (session_.LinkUp()) {
        Tell(kCompactWhileConnectedText);
        return;
    }
    Run(JobOf(LogJobKind::kCompact));
}

void LogCommands::Backup() {
    const QString file =
        chooser_->SaveFileName(window_, Q(kBackupDialogTitle), LogFile(), LogFileFilter());
    if (file.isEmpty()) {
        return;
    }
    if (SameFile(file, LogFile())) {
        Tell(QT_TRANSLATE_NOOP("core", "不能把拨号记录备份到它自己，请另选一个文件。"));
        return;
    }
    const LogJob job = JobOf(LogJobKind::kBackup, PathOf(file));
    if (!QFileInfo::exists(file)) {
        Run(job);
        return;
    }
    const QString question =
        QCoreApplication::translate("LogCommands", "%1 已经存在，要用拨号记录的备份替换它吗？")
            .arg(QDir::toNativeSeparators(file));
    prompter_.AskYesNo(window_, question, [this, job](bool yes) {
        if (yes) {
            Run(job);
        }
    });
}

void LogCommands::Restore() {
    const QString file =
        chooser_->OpenFileName(window_, Q(kRestoreDialogTitle), DbFolder(), LogFileFilter());
    if (file.isEmpty()) {
        return;
    }
    const LogJob job = JobOf(LogJobKind::kRestore, PathOf(file));
    prompter_.ShowMessage(window_, Q(kRestoreWarningText), [this, job] { Run(job); });
}

void LogCommands::Export() {
    const QString file =
        chooser_->SaveFileName(window_, Q(kExportDialogTitle), DbFolder(), LogFileFilter());
    if (file.isEmpty()) {
        return;
    }
    LogJob job = JobOf(LogJobKind::kExport, PathOf(file));
    job.createIfMissing = true;
    if (QFileInfo::exists(file)) {
        Run(job);
        return;
    }
    prompter_.AskYesNo(window_, Q(kCreateTargetQuestion), [this, job](bool yes) {
        if (yes) {
            Run(job);
        }
    });
}

void LogCommands::Import() {
    const QString file =
        chooser_->OpenFileName(window_, Q(kImportDialogTitle), DbFolder(), LogFileFilter());
    if (file.isEmpty()) {
        return;
    }
    Run(JobOf(LogJobKind::kImport, PathOf(file)));
}

}  // namespace vornik::gui
