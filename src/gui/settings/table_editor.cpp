#include "settings/table_editor.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/core_text.h"
#include "app/prompter.h"

namespace vornik::gui {

TableEditor::TableEditor(const QString& caption, std::vector<Column> columns, Prompter& prompter,
                         QWidget* parent)
    : QDialog(parent), columns_(std::move(columns)), prompter_(prompter) {
    setWindowTitle(caption);
    fields_ = new QGridLayout;
    addButton_ = new QPushButton(tr("添加"), this);
    addButton_->setObjectName(QStringLiteral("addButton"));
    modifyButton_ = new QPushButton(tr("修改"), this);
    modifyButton_->setObjectName(QStringLiteral("modifyButton"));
    deleteButton_ = new QPushButton(tr("删除"), this);
    deleteButton_->setObjectName(QStringLiteral("deleteButton"));
    // Enter in a field must not press a button the user did not choose.
    for (QPushButton* button : {addButton_, modifyButton_, deleteButton_}) {
        button->setAutoDefault(false);
    }
    grid_ = new QTableWidget(0, static_cast<int>(columns_.size()), this);
    QStringList headers;
    for (const Column& column : columns_) {
        headers << tr(column.header);
    }
    grid_->setHorizontalHeaderLabels(headers);
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->viewport()->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(addButton_);
    buttons->addWidget(modifyButton_);
    buttons->addWidget(deleteButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields_);
    layout->addLayout(buttons);
    layout->addWidget(grid_, 1);

    connect(addButton_, &QPushButton::clicked, this, [this] { Apply(AddRow()); });
    connect(modifyButton_, &QPushButton::clicked, this, [this] { Apply(ModifyRow(selectedId_)); });
    connect(deleteButton_, &QPushButton::clicked, this, [this] { Apply(DeleteRow(selectedId_)); });
    connect(grid_, &QTableWidget::cellClicked, this, [this](int row, int) { OnGridClick(row); });
    resize(480, 320);
}

void TableEditor::RefreshGrid() {
    const std::vector<QStringList> rows = GridRows();
    grid_->clearContents();
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < grid_->rowCount(); ++r) {
        const QStringList& cells = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < cells.size() && c < grid_->columnCount(); ++c) {
            grid_->setItem(r, c, new QTableWidgetItem(cells[c]));
        }
    }
    SizeColumns();
}

bool TableEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::Resize) {
        SizeColumns();
    }
    return QDialog::eventFilter(watched, event);
}

void TableEditor::SizeColumns() {
    const int width = grid_->viewport()->width();
    for (int c = 0; c < grid_->columnCount(); ++c) {
        grid_->setColumnWidth(
            c, static_cast<int>(width * columns_[static_cast<std::size_t>(c)].width));
    }
}

void TableEditor::Apply(const EditResult& result) {
    if (result.changed) {
        emit tableChanged();
    }
    RefreshGrid();
    if (result.message.empty()) {
        return;
    }
    QPointer<QLineEdit> box = FieldBox(result.field);
    prompter_.ShowMessage(this, CoreText(result.message), [box] {
        if (box) {
            box->setFocus();
            box->selectAll();
        }
    });
}

void TableEditor::OnGridClick(int row) {
    QStringList cells;
    for (int c = 0; c < grid_->columnCount(); ++c) {
        const QTableWidgetItem* item = grid_->item(row, c);
        cells << (item != nullptr ? item->text() : QString());
    }
    if (cells.isEmpty() || cells.front().isEmpty()) {
        return;
    }
    FillFields(cells);
    selectedId_ = cells.back().toLongLong();
}

}  // namespace vornik::gui
