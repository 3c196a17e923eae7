#include "app/speed_graph.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vornik::gui {

namespace {

constexpr double kDrawingWidth = SpeedMeter::kSlots * SpeedMeter::kColumnWidth;

bool SameColumns(const std::vector<GraphColumn>& a, const std::vector<GraphColumn>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const GraphColumn& x, const GraphColumn& y) {
                          return x.x == y.x && x.down == y.down && x.total == y.total;
                      });
}

}  // namespace

SpeedGraph::SpeedGraph(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// The figures come every second, a new sample only while a link is up or its
// last samples are still moving out: the same picture is not painted again.
void SpeedGraph::SetColumns(std::vector<GraphColumn> columns) {
    if (SameColumns(columns, columns_)) {
        return;
    }
    columns_ = std::move(columns);
    update();
}

void SpeedGraph::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    // Drawing units: x across 2000, y up from the bottom edge with the full scale
    // at the top; taller boxes run past the top and are clipped.
    painter.translate(0, height());
    painter.scale(width() / kDrawingWidth, -height() / SpeedMeter::kFullScale);
    for (const GraphColumn& column : columns_) {
        const double left = column.x * SpeedMeter::kColumnWidth;
        painter.fillRect(QRectF(left, 0, SpeedMeter::kColumnWidth, column.down), QColor(0, 255, 0));
        painter.fillRect(
            QRectF(left, column.down, SpeedMeter::kColumnWidth, column.total - column.down),
            QColor(255, 255, 0));
    }
}

void SpeedGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace vornik::gui
