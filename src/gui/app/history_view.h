// The history panel: the billing-month picker, the grid of the month's calls and
// the summary line.
#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QWidget>
#include <vector>

#include "base/call_record.h"

class QDateEdit;
class QLabel;
class QMenu;
class QTableView;

namespace vornik::gui {

class SteadyLabel;

// The month's calls as the grid's rows. A month of a big log holds thousands of
// calls: the texts of a cell are made when the grid asks for them, which it does
// only for the rows in view.
class CallTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kColumns = 8;

    explicit CallTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // `calls` oldest first; descending shows the newest in the first row.
    void SetCalls(std::vector<CallRecord> calls, bool descending);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    std::vector<CallRecord> calls_;
    bool descending_ = false;
};

class HistoryView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kColumns = CallTableModel::kColumns;
    static constexpr int kRowsInView = 10;

    explicit HistoryView(QWidget* parent = nullptr);

    // Shows year and month; the day is always 1. Emits no signal.
    void SetMonth(int year, int month);
    int Year() const;
    int Month() const;

    // Shows the month's calls (oldest first). Descending puts the newest call at
    // the top; ascending scrolls so the newest calls show at the bottom.
    void Fill(std::vector<CallRecord> calls, bool descending);
    int RowCount() const { return model_->rowCount(); }
    // Changes only what differs from the shown text and tooltip.
    void SetSummary(const QString& text, const QString& toolTip);
    // The line under the summary: where the current billing month is heading;
    // empty while another month is shown.
    void SetForecast(const QString& text);

    // The grid's popup menu (log maintenance and the order item).
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

    QTableView* Grid() const { return grid_; }
    QDateEdit* Picker() const { return picker_; }
    SteadyLabel* Summary() const { return summary_; }
    QLabel* ForecastLine() const { return forecast_; }
    // The width at which the grid shows every column without scrolling.
    int FullWidth() const;

  signals:
    void monthChanged(int year, int month);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int ColumnWidth(int column) const;
    void ApplyColumnWidths();

    QDateEdit* picker_;
    SteadyLabel* summary_;
    QLabel* forecast_;
    CallTableModel* model_;
    QTableView* grid_;
    QMenu* contextMenu_ = nullptr;
};

}  // namespace vornik::gui
