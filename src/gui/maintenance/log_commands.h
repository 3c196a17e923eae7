// The six commands of the 拨号记录 menus: the file dialogs and questions, the
// job run beside the window with a busy dialog, and the outcome told in a
// message box.
#pragma once

#include <QString>
#include <memory>

#include "maintenance/log_jobs.h"

class QWidget;

namespace vornik {
class Clock;
class Session;
}  // namespace vornik

namespace vornik::gui {

class FileChooser;
class LogJobRunner;
class Prompter;

class LogCommands {
  public:
    LogCommands(Session& session, LogJobRunner& runner, Prompter& prompter, const Clock& clock,
                QString programFolder, QWidget* window);
    ~LogCommands();

    // After the password was given.
    void RemoveOld();
    void Compact();
    void Backup();
    void Restore();
    void Export();
    void Import();
    void SetFileChooser(FileChooser& chooser) { chooser_ = &chooser; }

  private:
    void Run(const LogJob& job);
    void Tell(const std::string& text);
    QString DbFolder() const;
    QString LogFile() const;

    Session& session_;
    LogJobRunner& runner_;
    Prompter& prompter_;
    const Clock& clock_;
    QString folder_;
    QWidget* window_;
    std::unique_ptr<FileChooser> dialogs_;
    FileChooser* chooser_;
};

}  // namespace vornik::gui
