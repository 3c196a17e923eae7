#include "app/speed_graph.h"

#include <QMouseEvent>
#include <QPainter>

namespace vornik::gui {

namespace {

constexpr double kDrawingWidth = SpeedMeter::kSlots * SpeedMeter::kColumnWidth;

}  // namespace

SpeedGraph::SpeedGraph(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SpeedGraph::SetColumns(std::vector<GraphColumn> columns) {
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
