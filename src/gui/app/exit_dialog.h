// The password prompt before leaving the program.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace vornik::gui {

class ExitDialog : public QDialog {
    Q_OBJECT
  public:
    // `check` says whether the typed text is the password; on a right one the
    // dialog closes itself and runs `onRight`.
    ExitDialog(std::function<bool(const QString&)> check, std::function<void()> onRight,
               QWidget* parent = nullptr);

    QLineEdit* PasswordBox() const { return password_; }
    QPushButton* OkButton() const { return ok_; }

  private:
    void Confirm();

    std::function<bool(const QString&)> check_;
    std::function<void()> onRight_;
    QLineEdit* password_;
    QPushButton* ok_;
};

}  // namespace vornik::gui
