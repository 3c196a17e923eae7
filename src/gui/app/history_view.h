// The history panel: the billing-month picker, the grid of the month's calls and
// the summary line.
#pragma once

#include <QDate>
#include <QWidget>

#include <vector>

#include "base/call_record.h"

class QDateEdit;
class QLabel;
class QMenu;
class QTableWidget;

namespace vornik::gui {

class HistoryView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kColumns = 8;

    explicit HistoryView(QWidget* parent = nullptr);

    // Shows year and month; the day is always 1. Emits no signal.
    void SetMonth(int year, int month);
    int Year() const;
    int Month() const;

    // Rebuilds the grid from the month's calls (oldest first). Descending puts the
    // newest call at the top; ascending scrolls so the newest calls show at the
    // bottom.
    void Fill(const std::vector<CallRecord>& calls, bool descending);
    int RowCount() const { return rowCount_; }
    void SetSummary(const QString& text, const QString& toolTip);

    // The grid's popup menu (log maintenance and the order item).
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

    QTableWidget* Grid() const { return grid_; }
    QDateEdit* Picker() const { return picker_; }
    QLabel* Summary() const { return summary_; }

  signals:
    void monthChanged(int year, int month);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void SetupGrid();
    void ApplyColumnWidths();
    void WriteRow(int gridRow, const CallRecord& call);

    QDateEdit* picker_;
    QLabel* summary_;
    QTableWidget* grid_;
    QMenu* contextMenu_ = nullptr;
    int rowCount_ = 0;
};

}  // namespace vornik::gui
