// The rule settings: every rule on six tabs. The dialog shows and edits the
// values; reading, checking and writing them is the core's (settings/options.h).
#pragma once

#include <QDialog>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "settings/options.h"

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QTimeEdit;
class QVBoxLayout;

namespace vornik::gui {

class Prompter;

// What the dialog changes beyond the settings.
struct OptionsDialogHooks {
    // The rules were written: they take effect now.
    std::function<void()> rulesSaved;
    // The floating window's check box and opacity bar act at once.
    std::function<void(bool shown)> showFloatWindow;
    std::function<void(int alpha)> setOpacity;
    // What the start at login passes beside --tray (the program folder).
    std::vector<std::string> loginStartOptions;
};

class OptionsDialog : public QDialog {
    Q_OBJECT
  public:
    OptionsDialog(SettingsStore& settings, Prompter& prompter, OptionsDialogHooks hooks,
                  QWidget* parent = nullptr);

    bool RulesChanged() const { return rulesChanged_; }
    QTabWidget* Tabs() const { return tabs_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* CloseButton() const { return close_; }

  public slots:
    // 关闭, Escape and the close box: unsaved edits are offered for saving first.
    void reject() override;

  signals:
    // The two editors of the discount tables, to be opened over this dialog.
    void discountTimeEditorRequested();
    void holidayEditorRequested();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // A row of a frame: texts become labels, widgets stay as they are.
    using RowPart = std::variant<const char*, QWidget*>;
    struct TariffDiscounts;

    QWidget* BuildDialTab();
    QWidget* BuildIdleTab();
    QWidget* BuildFeeTab();
    QGroupBox* BuildBaoshiFrame();
    QGroupBox* BuildJishiFrame();
    QGroupBox* BuildBaoyueFrame();
    QGroupBox* BuildLiuliangFrame();
    void AddDiscountRows(QVBoxLayout* frame, const TariffDiscounts& discounts);
    QWidget* BuildPasswordTab();
    QWidget* BuildOtherTab();
    QWidget* BuildAutomaticTab();
    QButtonGroup* AddChoice(std::initializer_list<std::pair<const char*, const char*>> buttons);

    QLineEdit* AddTextBox(const char* name, std::string Options::*value);
    QLineEdit* AddNumberBox(const char* name, std::string Options::*value, OptionField field);
    QCheckBox* AddSwitch(const char* name, const char* caption, bool Options::*value);
    QPushButton* AddEditorButton(const char* name, const char* caption,
                                 void (OptionsDialog::*request)());
    QWidget* Row(std::initializer_list<RowPart> parts);

    void ShowOptions(const Options& options);
    Options EditedOptions() const;
    void ConnectEdits();
    void SetRulesChanged(bool changed);
    void ShowTariffFrame();
    // Checks and writes the rules; `then` runs once any message has been read.
    void SaveOptions(std::function<void()> then);
    void SavePassword();
    void SelectTabText(int tab);
    void ApplyOpacity(int alpha);
    void SetLoginStart(bool on);

    SettingsStore& settings_;
    Prompter& prompter_;
    OptionsDialogHooks hooks_;
    QTabWidget* tabs_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* close_ = nullptr;
    std::vector<std::pair<std::string Options::*, QLineEdit*>> texts_;
    std::map<OptionField, QLineEdit*> numberBoxes_;
    std::vector<std::pair<bool Options::*, QCheckBox*>> switches_;
    QButtonGroup* idleAction_ = nullptr;
    QButtonGroup* feeType_ = nullptr;
    QButtonGroup* logOrder_ = nullptr;
    std::vector<QGroupBox*> tariffFrames_;
    QDateEdit* baoyueBegin_ = nullptr;
    QTimeEdit* autoDialAt_ = nullptr;
    QTimeEdit* autoDisconnectAt_ = nullptr;
    QCheckBox* pwdProtected_ = nullptr;
    QCheckBox* showFloatWin_ = nullptr;
    QCheckBox* loginStart_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* password2_ = nullptr;
    QPushButton* savePassword_ = nullptr;
    QSlider* opacity_ = nullptr;
    bool rulesChanged_ = false;
    bool asking_ = false;
};

}  // namespace vornik::gui
