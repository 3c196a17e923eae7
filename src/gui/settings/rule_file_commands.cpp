#include "settings/rule_file_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <filesystem>

#include "app/core_text.h"
#include "app/file_chooser.h"
#include "app/prompter.h"
#include "settings/rule_file.h"

namespace vornik::gui {
namespace {

QString RuleFileFilter() {
    return QtFilter(QCoreApplication::translate("RuleFileCommands", "Vornik规则文件(*.ini)|*.ini"));
}

}  // namespace

RuleFileCommands::RuleFileCommands(Dbio& db, Prompter& prompter, QString programFolder,
                                   std::function<void()> rulesChanged)
    : db_(db),
      prompter_(prompter),
      folder_(std::move(programFolder)),
      rulesChanged_(std::move(rulesChanged)),
      dialogs_(std::make_unique<DialogFileChooser>()),
      chooser_(dialogs_.get()) {}

RuleFileCommands::~RuleFileCommands() = default;

// A clean export says nothing, as it always did; rows it had to leave out and a
// failure are told.
void RuleFileCommands::ExportRules(QWidget* parent) {
    const QString file = chooser_->SaveFileName(
        parent, QCoreApplication::translate("RuleFileCommands", "选择导出规则文件存放目录"),
        QDir(folder_).filePath(QStringLiteral("rule.ini")), RuleFileFilter());
    if (file.isEmpty()) {
        return;
    }
    const Result<RuleExport> exported = vornik::ExportRules(db_, PathOf(file));
    if (!exported) {
        prompter_.ShowMessage(parent, CoreText(exported.Error()), [] {});
    } else if (!exported->leftOut.empty()) {
        prompter_.ShowMessage(parent, CoreText(ExportReportText(PathOf(file), *exported)), [] {});
    }
}

void RuleFileCommands::ImportRules(QWidget* parent) {
    const QString file = chooser_->OpenFileName(
        parent, QCoreApplication::translate("RuleFileCommands", "选择导入规则文件存放目录"),
        folder_, RuleFileFilter());
    if (file.isEmpty()) {
        return;
    }
    prompter_.AskYesNo(
        parent,
        QCoreApplication::translate("RuleFileCommands",
                                    "导入规则文件将导致当前定义的规则被覆盖，确认导入吗？"),
        [this, parent, file](bool yes) {
            if (yes) {
                Import(parent, file);
            }
        });
}

void RuleFileCommands::Import(QWidget* parent, const QString& file) {
    const Result<RuleImport> imported = vornik::ImportRules(db_, PathOf(file));
    if (!imported) {
        prompter_.ShowMessage(parent, CoreText(imported.Error()), [] {});
        return;
    }
    rulesChanged_();
    prompter_.ShowMessage(parent, CoreText(ImportReportText(PathOf(file), *imported)), [] {});
}

}  // namespace vornik::gui
