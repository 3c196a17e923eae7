// A command of the main window's button row: flat like the label it was, but a
// real button: reached with Tab, marked when it has the focus, run by a click,
// Space, Enter or Return. Its presses never reach the window, so a click on it
// never starts a window move.
#pragma once

#include <QToolButton>

namespace vornik::gui {

class CommandButton : public QToolButton {
    Q_OBJECT
  public:
    CommandButton(const QString& caption, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vornik::gui
