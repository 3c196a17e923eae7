#include "app/history_view.h"

#include <QApplication>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

#include "app/core_text.h"
#include "app/steady_label.h"
#include "base/format_duration.h"

namespace vornik::gui {
namespace {

// Ascending order scrolls so that the newest calls stay in view.
constexpr int kRowsInView = HistoryView::kRowsInView;

// The widest text each column holds (the name column takes what is left).
constexpr std::array<const char*, CallTableModel::kColumns> kWidestTexts{
    "0000-00-00 00:00:00", "0000-00-00 00:00:00", "000:00:00", "0000.00", "",
    "255.255.255.255",     "0000000000",          "0000000000"};
constexpr int kNameColumn = 4;
constexpr int kCellPadding = 14;

QString DurationText(const CallRecord& call) {
    const auto seconds = call.Seconds();
    return seconds ? QString::fromStdString(FormatDuration(*seconds)) : QString{};
}

QString CellText(const CallRecord& call, int column) {
    switch (column) {
        case 0:
            return QString::fromStdString(call.beginTime);
        case 1:
            return QString::fromStdString(call.endTime);
        case 2:
            return DurationText(call);
        case 3:
            return QString::number(call.fee, 'f', 2);
        case 4:
            return QString::fromStdString(call.entryName);
        case 5:
            return QString::fromStdString(call.ipAddress);
        case 6:
            return QString::number(call.bytesIn);
        case 7:
            return QString::number(call.bytesOut);
        default:
            return {};
    }
}

}  // namespace

void CallTableModel::SetCalls(std::vector<CallRecord> calls, bool descending) {
    beginResetModel();
    calls_ = std::move(calls);
    descending_ = descending;
    endResetModel();
}

int CallTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(calls_.size());
}

int CallTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

// A call whose record cannot be vouched for carries a warning sign before its
// begin, and its row says why when pointed at.
QVariant CallTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const int count = rowCount();
    const int row = descending_ ? count - 1 - index.row() : index.row();
    const CallRecord& call = calls_[static_cast<std::size_t>(row)];
    switch (role) {
        case Qt::DisplayRole:
            return CellText(call, index.column());
        case Qt::DecorationRole:
            if (index.column() == 0 && !call.marks.empty()) {
                return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
            }
            return {};
        case Qt::ToolTipRole:
            if (!call.marks.empty()) {
                return CoreText(MarkLines(call.marks));
            }
            return {};
        default:
            return {};
    }
}

QVariant CallTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const std::array<const char*, kColumns> kHeaders{
        QT_TRANSLATE_NOOP("vornik::gui::HistoryView", "开始时间"),
        QT_TRANSLATE_NOOP("vornik::gui::HistoryView", "结束时间"),
        QT_TRANSLATE_NOOP("vornik::gui::HistoryView", "用时"),
        QT_TRANSLATE_NOOP("vornik::gui::HistoryView", "费用"),
        QT_TRANSLATE_NOOP("vornik::gui::HistoryView", "名称"),
        QT_TRANSLATE_NOOP("vornik::gui::HistoryView", "IP地址"),
        QT_TRANSLATE_NOOP("vornik::gui::HistoryView", "接收字节"),
        QT_TRANSLATE_NOOP("vornik::gui::HistoryView", "发送字节")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return HistoryView::tr(kHeaders[static_cast<std::size_t>(section)]);
}

HistoryView::HistoryView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frameDialLog"));
    picker_ = new QDateEdit(this);
    picker_->setObjectName(QStringLiteral("DTPicker1"));
    picker_->setDisplayFormat(tr("yyyy'年'M'月'"));
    picker_->setCalendarPopup(false);
    picker_->setCurrentSection(QDateTimeEdit::MonthSection);
    summary_ = new SteadyLabel(this);
    summary_->setObjectName(QStringLiteral("monthMsg"));
    // Always one line high, and never wider than the grid: a long forecast is cut
    // at the window's edge and read whole in the tooltip, so it neither moves nor
    // widens the window when it changes.
    forecast_ = new QLabel(this);
    forecast_->setObjectName(QStringLiteral("forecastMsg"));
    forecast_->setTextFormat(Qt::PlainText);
    forecast_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    model_ = new CallTableModel(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("dialloggrid"));
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The header and ten calls; at its full width the grid needs no sideways
    // scrolling.
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid_->setFixedHeight(grid_->horizontalHeader()->sizeHint().height() +
                          kRowsInView * grid_->verticalHeader()->defaultSectionSize() +
                          2 * grid_->frameWidth() + 2);
    grid_->viewport()->installEventFilter(this);

    auto* top = new QHBoxLayout;
    top->addWidget(picker_);
    // The summary keeps its own size, where a label taking the rest of the row
    // would show its text.
    top->addWidget(summary_, 1, Qt::AlignLeft | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(forecast_);
    layout->addWidget(grid_, 1);
    ApplyColumnWidths();

    connect(picker_, &QDateEdit::dateChanged, this, [this](const QDate& date) {
        if (date.day() != 1) {
            picker_->setDate(QDate(date.year(), date.month(), 1));
            return;
        }
        emit monthChanged(date.year(), date.month());
    });
}

void HistoryView::SetMonth(int year, int month) {
    const QSignalBlocker quiet(picker_);
    picker_->setDate(QDate(year, month, 1));
}

int HistoryView::Year() const {
    return picker_->date().year();
}

int HistoryView::Month() const {
    return picker_->date().month();
}

int HistoryView::ColumnWidth(int column) const {
    const int header = grid_->horizontalHeader()->fontMetrics().horizontalAdvance(
        model_->headerData(column, Qt::Horizontal).toString());
    const int widest = grid_->fontMetrics().horizontalAdvance(
        QString::fromUtf8(kWidestTexts[static_cast<std::size_t>(column)]));
    return std::max(header, widest) + kCellPadding;
}

int HistoryView::FullWidth() const {
    int width = 0;
    for (int column = 0; column < kColumns; ++column) {
        width += ColumnWidth(column);
    }
    // Room for a name as wide as the fee.
    width += ColumnWidth(3);
    return width + grid_->verticalScrollBar()->sizeHint().width() + 2 * grid_->frameWidth() + 2;
}

// Each column as wide as its widest text, so no moment or address is cut; the
// name takes what the window leaves.
void HistoryView::ApplyColumnWidths() {
    int others = 0;
    for (int column = 0; column < kColumns; ++column) {
        if (column != kNameColumn) {
            grid_->setColumnWidth(column, ColumnWidth(column));
            others += ColumnWidth(column);
        }
    }
    // The viewport of a hidden grid is resized late: its room is worked out.
    const int room =
        grid_->width() - 2 * grid_->frameWidth() - grid_->verticalScrollBar()->sizeHint().width();
    grid_->setColumnWidth(kNameColumn, std::max(ColumnWidth(kNameColumn), room - others));
}

void HistoryView::Fill(std::vector<CallRecord> calls, bool descending) {
    model_->SetCalls(std::move(calls), descending);
    ApplyColumnWidths();
    const int rows = model_->rowCount();
    grid_->doItemsLayout();  // brings the scroll range up to date with the new rows
    if (!descending && rows > kRowsInView) {
        grid_->verticalScrollBar()->setValue(rows - kRowsInView);
    } else {
        grid_->verticalScrollBar()->setValue(0);
    }
}

void HistoryView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyColumnWidths();
}

void HistoryView::SetSummary(const QString& text, const QString& toolTip) {
    summary_->ShowText(text);
    if (toolTip != summary_->toolTip()) {
        summary_->setToolTip(toolTip);
        grid_->setToolTip(toolTip);
    }
}

void HistoryView::SetForecast(const QString& text) {
    if (text != forecast_->text()) {
        forecast_->setText(text);
        forecast_->setToolTip(text);
    }
}

// Any mouse button over the grid opens its popup menu at the pointer.
bool HistoryView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport() && event->type() == QEvent::MouseButtonPress &&
        contextMenu_ != nullptr) {
        const auto* press = static_cast<QMouseEvent*>(event);
        contextMenu_->popup(press->globalPosition().toPoint());
        return press->button() != Qt::LeftButton;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vornik::gui
