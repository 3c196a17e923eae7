// The main window: caption-less, dragged by its body, hidden instead of closed.
// It holds the status frame, the entry and credential boxes, the command labels,
// the history panel and the menus; the shell connects them to the session.
#pragma once

#include <QWidget>
#include <map>

#include "app/commands.h"
#include "app/status_display.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QToolButton;

namespace vornik::gui {

class HistoryView;
class SpeedGraph;
class SteadyLabel;
class ColumnLabel;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // Without a notification area, closing and minimising leave the window
    // minimised instead of hidden, so it can always be found again.
    explicit MainWindow(bool trayAvailable, QWidget* parent = nullptr);

    QAction* MainAction(Command command) const { return mainActions_.at(command); }
    QAction* TrayAction(Command command) const { return trayActions_.at(command); }
    QAction* LogAction(Command command) const { return logActions_.at(command); }
    QMenu* TrayMenu() const { return trayMenu_; }
    QMenu* LogMenu() const { return logMenu_; }
    QMenuBar* MenuBar() const { return menuBar_; }
    QMenu* StyleMenu() const { return styleMenu_; }

    // The status text and the speeds change every second: their sizes do not.
    ColumnLabel* DialMsg() const { return dialMsg_; }
    QLabel* ConnectStatus() const { return connectStatus_; }
    SteadyLabel* SpeedMsg() const { return speedMsg_; }
    SpeedGraph* Graph() const { return graph_; }
    QComboBox* EntryList() const { return entryList_; }
    QLineEdit* UserNameBox() const { return userName_; }
    QLineEdit* PasswordBox() const { return password_; }
    QToolButton* CommandButtonAt(int index) const { return commandButtons_[index]; }
    HistoryView* History() const { return history_; }

    void ApplyMenuStates(const MenuStates& states);
    // Names the dialer back-end in use.
    void SetBackendNote(const QString& note);
    QLabel* BackendNote() const { return backendNote_; }
    // The panel stands above the history.
    void AddPanel(QWidget* panel);
    void SetFloatWindowChecked(bool checked);
    void ToggleHistory();
    bool HistoryShown() const;
    void PlaceAtStart();
    // After a change of what is shown, or of its fonts and style.
    void FitHeight();
    // Only the exit path may really close the window.
    void AllowClose() { closing_ = true; }

  signals:
    void commandTriggered(vornik::gui::Command command);
    void entryChosen(const QString& name);
    void userNameEdited();
    void passwordEdited();
    void userNameLeft(const QString& text);
    void passwordLeft(const QString& text);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* AddCommand(QMenu* menu, std::map<Command, QAction*>& actions, Command command,
                        const char* caption);
    void AddLogCommands(QMenu* menu, std::map<Command, QAction*>& actions,
                        const char* removeCaption);
    void AddReportCommands(QMenu* menu, std::map<Command, QAction*>& actions);
    void BuildMainMenu();
    void BuildTrayMenu();
    void BuildLogMenu();
    QWidget* BuildStatusFrame();
    QWidget* BuildEntryRow();
    QWidget* BuildCommandRow();
    int DefaultWidth() const;
    void SendToTray();
    void UpdateTrayItems();

    bool trayAvailable_;
    bool closing_ = false;
    std::map<Command, QAction*> mainActions_;
    std::map<Command, QAction*> trayActions_;
    std::map<Command, QAction*> logActions_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QMenu* logMenu_ = nullptr;
    QMenu* styleMenu_ = nullptr;
    ColumnLabel* dialMsg_ = nullptr;
    QLabel* connectStatus_ = nullptr;
    SteadyLabel* speedMsg_ = nullptr;
    QLabel* backendNote_ = nullptr;
    SpeedGraph* graph_ = nullptr;
    QComboBox* entryList_ = nullptr;
    QLineEdit* userName_ = nullptr;
    QLineEdit* password_ = nullptr;
    QToolButton* commandButtons_[7] = {};
    HistoryView* history_ = nullptr;
};

}  // namespace vornik::gui
