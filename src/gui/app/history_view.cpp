#include "app/history_view.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>

#include "base/format_duration.h"

namespace vornik::gui {
namespace {

// Ascending order scrolls so that this many of the newest calls stay in view.
constexpr int kRowsInView = 6;

QString DurationText(const CallRecord& call) {
    const auto seconds = call.Seconds();
    return seconds ? QString::fromStdString(FormatDuration(*seconds)) : QString{};
}

}  // namespace

HistoryView::HistoryView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frameDialLog"));
    picker_ = new QDateEdit(this);
    picker_->setObjectName(QStringLiteral("DTPicker1"));
    picker_->setDisplayFormat(QStringLiteral("yyyy'年'M'月'"));
    picker_->setCalendarPopup(false);
    picker_->setCurrentSection(QDateTimeEdit::MonthSection);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("monthMsg"));
    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("dialloggrid"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The grid shows the header and six calls, the view the scrolling rule keeps.
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid_->setFixedHeight(grid_->horizontalHeader()->sizeHint().height() +
                          kRowsInView * grid_->verticalHeader()->defaultSectionSize() +
                          grid_->horizontalScrollBar()->sizeHint().height() +
                          2 * grid_->frameWidth() + 2);
    grid_->viewport()->installEventFilter(this);

    auto* top = new QHBoxLayout;
    top->addWidget(picker_);
    top->addWidget(summary_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);
    SetupGrid();

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

void HistoryView::SetupGrid() {
    static const std::array<const char*, kColumns> kHeaders{
        "开始时间", "结束时间", "用时", "费用", "名称", "IP地址", "接收字节", "发送字节"};
    grid_->clear();
    grid_->setRowCount(0);
    grid_->setColumnCount(kColumns);
    QStringList headers;
    for (const char* header : kHeaders) {
        headers << QString::fromUtf8(header);
    }
    grid_->setHorizontalHeaderLabels(headers);
    ApplyColumnWidths();
}

// Shares of the grid's width (the address column: of the window's), so the grid
// follows the window when it is laid out or resized.
void HistoryView::ApplyColumnWidths() {
    const double width = grid_->width();
    const double windowWidth = window() ? window()->width() : width;
    // A moment is never cut short, whatever the share comes to.
    const int momentWidth =
        grid_->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 12;
    const int momentColumn = std::max(momentWidth, static_cast<int>(std::lround(width * 0.32)));
    grid_->setColumnWidth(0, momentColumn);
    grid_->setColumnWidth(1, momentColumn);
    grid_->setColumnWidth(3, static_cast<int>(std::lround(width * 0.14)));
    grid_->setColumnWidth(4, static_cast<int>(std::lround(width * 0.14)));
    grid_->setColumnWidth(5, static_cast<int>(std::lround(windowWidth * 0.28)));
}

void HistoryView::WriteRow(int gridRow, const CallRecord& call) {
    const std::array<QString, kColumns> cells{QString::fromStdString(call.beginTime),
                                              QString::fromStdString(call.endTime),
                                              DurationText(call),
                                              QString::number(call.fee, 'f', 2),
                                              QString::fromStdString(call.entryName),
                                              QString::fromStdString(call.ipAddress),
                                              QString::number(call.bytesIn),
                                              QString::number(call.bytesOut)};
    for (int column = 0; column < kColumns; ++column) {
        grid_->setItem(gridRow, column, new QTableWidgetItem(cells[static_cast<size_t>(column)]));
    }
}

void HistoryView::Fill(const std::vector<CallRecord>& calls, bool descending) {
    SetupGrid();
    rowCount_ = static_cast<int>(calls.size());
    grid_->setRowCount(rowCount_);
    for (int i = 0; i < rowCount_; ++i) {
        WriteRow(descending ? rowCount_ - 1 - i : i, calls[static_cast<size_t>(i)]);
    }
    grid_->doItemsLayout();  // brings the scroll range up to date with the new rows
    if (!descending && rowCount_ > kRowsInView) {
        grid_->verticalScrollBar()->setValue(rowCount_ - kRowsInView);
    } else {
        grid_->verticalScrollBar()->setValue(0);
    }
}

void HistoryView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyColumnWidths();
}

void HistoryView::SetSummary(const QString& text, const QString& toolTip) {
    summary_->setText(text);
    summary_->setToolTip(toolTip);
    grid_->setToolTip(toolTip);
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
