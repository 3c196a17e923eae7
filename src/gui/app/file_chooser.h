// The file dialogs of the program's commands, behind an interface so that tests
// choose files without a dialog.
#pragma once

#include <QString>
#include <filesystem>

class QWidget;

namespace vornik::gui {

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // Empty when the user cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                 const QString& filter) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) = 0;
};

// Qt's own dialogs, in the program's language, whatever the desktop offers.
class DialogFileChooser : public FileChooser {
  public:
    // `confirmOverwrite`: the save dialog asks before it names an existing file;
    // off where the command asks in its own words.
    explicit DialogFileChooser(bool confirmOverwrite = true)
        : confirmOverwrite_(confirmOverwrite) {}
    QString SaveFileName(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filter) override;
    QString OpenFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override;

  private:
    bool confirmOverwrite_;
};

// A filter written "caption|patterns": Qt takes the patterns from the caption's
// brackets.
QString QtFilter(const QString& filter);

// The chosen file's name as the file system spells it.
std::filesystem::path PathOf(const QString& file);

}  // namespace vornik::gui
