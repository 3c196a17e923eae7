// 导出规则 and 导入规则: the rule file chosen in Qt's own file dialogs, written or
// read by the core, and the outcome told in a message box. An import replaces
// the rules in force at once.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace vornik {
class Dbio;
}

namespace vornik::gui {

class Prompter;

// Asks for a file; tests choose without a dialog.
class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // Empty when the user cancelled. A save asks before an existing file is
    // replaced.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                 const QString& filter) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) = 0;
};

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
