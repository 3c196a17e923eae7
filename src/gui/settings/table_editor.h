// What the holiday and discount-time editors share: a modal dialog with the
// edit fields on top, the buttons 添加, 修改 and 删除, and the grid of the table's
// rows below. A click on a row copies it into the fields and selects its id,
// which 修改 and 删除 act on. After every change the dialog says so through
// tableChanged(), so that the rules in force are loaded again at once.
#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "settings/table_edit.h"

class QGridLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vornik {
class Dbio;
}

namespace vornik::gui {

class Prompter;

class TableEditor : public QDialog {
    Q_OBJECT
  public:
    QTableWidget* Grid() const { return grid_; }
    QPushButton* AddButton() const { return addButton_; }
    QPushButton* ModifyButton() const { return modifyButton_; }
    QPushButton* DeleteButton() const { return deleteButton_; }
    // The id of the row last clicked; 0 until one is.
    std::int64_t SelectedId() const { return selectedId_; }

    // Reads the table again into the grid; an empty table shows the header alone.
    void RefreshGrid();

  signals:
    void tableChanged();

  protected:
    struct Column {
        const char* header;
        double width;  // a share of the grid's width; together they may pass 1
    };

    TableEditor(const QString& caption, std::vector<Column> columns, Prompter& prompter,
                QWidget* parent);

    // Where the subclass puts its labels and edit fields.
    QGridLayout* Fields() const { return fields_; }

    // The rows' cells in the grid's column order; the last one holds the id.
    virtual std::vector<QStringList> GridRows() = 0;
    virtual EditResult AddRow() = 0;
    virtual EditResult ModifyRow(std::int64_t id) = 0;
    virtual EditResult DeleteRow(std::int64_t id) = 0;
    virtual void FillFields(const QStringList& cells) = 0;
    // The box a message about `field` points at; none for a field it lacks.
    virtual QLineEdit* FieldBox(InputField field) = 0;

    // The columns keep their shares of the grid's width as it changes.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Apply(const EditResult& result);
    void OnGridClick(int row);
    void SizeColumns();

    std::vector<Column> columns_;
    Prompter& prompter_;
    QGridLayout* fields_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* modifyButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    std::int64_t selectedId_ = 0;
};

// Shows a fresh editor modally over `parent` until the user closes it; `changed`
// runs after every change of its table.
template <typename Editor>
void OpenEditor(QWidget* parent, Dbio& db, Prompter& prompter,
                const std::function<void()>& changed) {
    Editor editor(db, prompter, parent);
    QObject::connect(&editor, &TableEditor::tableChanged, &editor, changed);
    editor.exec();
}

}  // namespace vornik::gui
