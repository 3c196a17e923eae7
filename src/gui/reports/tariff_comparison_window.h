// 资费比较: what the calls of the last months cost, and what they would have
// cost under another tariff at the user's own values or under a rule file, per
// billing month and in total. It only reads the log.
#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/file_chooser.h"
#include "metering/time_rules.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QLayout;
class QSpinBox;
class QTableWidget;

namespace vornik {
class Dbio;
class Session;
struct TariffComparison;
}  // namespace vornik

namespace vornik::gui {

class TariffComparisonWindow : public QDialog {
    Q_OBJECT
  public:
    TariffComparisonWindow(Session& session, Dbio& db, QString programFolder,
                           QWidget* parent = nullptr);
    ~TariffComparisonWindow() override;

    void SetFileChooser(FileChooser& chooser) { chooser_ = &chooser; }
    QComboBox* Source() const { return source_; }
    QSpinBox* Months() const { return months_; }
    // The last billing month compared; at first the current one.
    QDateEdit* LastMonth() const { return lastMonth_; }
    QTableWidget* Table() const { return table_; }
    QLabel* Note() const { return note_; }

    // Prices the calls again for the choices shown.
    void Refresh();
    // Asks for a rule file and compares with it; a cancel keeps the choice.
    void ChooseRuleFile();

  private:
    QLayout* BuildChoices();
    QTableWidget* BuildTable();
    // The rules of the chosen source; nothing, with the reason shown, when the
    // rule file cannot be read.
    std::optional<TimeRules> ChosenRules();
    void ShowComparison(const TariffComparison& comparison);

    Session& session_;
    Dbio& db_;
    QString folder_;
    std::unique_ptr<FileChooser> dialogs_;
    FileChooser* chooser_;
    std::filesystem::path ruleFile_;
    QComboBox* source_ = nullptr;
    QSpinBox* months_ = nullptr;
    QDateEdit* lastMonth_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace vornik::gui
