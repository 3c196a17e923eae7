// The password prompt: one dialog that guards the rule settings, the removal of
// old records and the exit, and runs the guarded action only after the right
// password. Closing it does nothing.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace vornik::gui {

enum class Guarded { kRuleSettings, kLogRemoval, kExit };

class PasswordPrompt : public QDialog {
    Q_OBJECT
  public:
    // `check` says whether the typed text is the password; on a right one the
    // prompt closes itself and runs `onRight`. The removal prompt stays above
    // every other window.
    PasswordPrompt(Guarded guarded, std::function<bool(const QString&)> check,
                   std::function<void()> onRight, QWidget* parent = nullptr);

    QLineEdit* PasswordBox() const { return password_; }
    QPushButton* OkButton() const { return ok_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Confirm();

    std::function<bool(const QString&)> check_;
    std::function<void()> onRight_;
    QLineEdit* password_;
    QPushButton* ok_;
};

}  // namespace vornik::gui
