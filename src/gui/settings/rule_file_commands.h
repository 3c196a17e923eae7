// 导出规则 and 导入规则: the rule file chosen in Qt's own file dialogs, written or
// read by the core, and the outcome told in a message box. An import replaces
// the rules in force at once.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "app/file_chooser.h"

class QWidget;

namespace vornik {
class Dbio;
}

namespace vornik::gui {

class Prompter;

class RuleFileCommands {
  public:
    // `rulesChanged` runs after an import changed the tables.
    RuleFileCommands(Dbio& db, Prompter& prompter, QString programFolder,
                     std::function<void()> rulesChanged);
    ~RuleFileCommands();

    void ExportRules(QWidget* parent);
    void ImportRules(QWidget* parent);
    void SetFileChooser(FileChooser& chooser) { chooser_ = &chooser; }

  private:
    void Import(QWidget* parent, const QString& file);

    Dbio& db_;
    Prompter& prompter_;
    QString folder_;
    std::function<void()> rulesChanged_;
    std::unique_ptr<FileChooser> dialogs_;
    FileChooser* chooser_;
};

}  // namespace vornik::gui
