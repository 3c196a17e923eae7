// The stacked bar graph of the last 100 speed samples: green download boxes from
// the bottom, yellow upload boxes on top of them.
#pragma once

#include <QWidget>
#include <vector>

#include "metering/speed_meter.h"

namespace vornik::gui {

class SpeedGraph : public QWidget {
    Q_OBJECT

  public:
    explicit SpeedGraph(QWidget* parent = nullptr);

    // Repaints only when the columns differ from those shown.
    void SetColumns(std::vector<GraphColumn> columns);

  protected:
    void paintEvent(QPaintEvent* event) override;
    // The graph has no commands of its own: a right press goes on to the parent,
    // which pops up its menu.
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::vector<GraphColumn> columns_;
};

}  // namespace vornik::gui
