#include "app/column_label.h"

#include <QPainter>
#include <algorithm>

namespace vornik::gui {

namespace {

bool EndsWithColon(const QString& cell) {
    return cell.endsWith(QChar(0xFF1A)) || cell.endsWith(QLatin1Char(':'));
}

QStringList Lines(const QString& text) {
    return text.split(QLatin1Char('\n'));
}

}  // namespace

QStringList ColumnLabel::Cells(const QString& line) {
    QStringList cells;
    QString cell;
    const QString trimmed = line.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        const bool colon = c == QChar(0xFF1A) || (c == QLatin1Char(':') && i + 1 < trimmed.size() &&
                                                  trimmed[i + 1] == ' ');
        if (c == QLatin1Char(' ') && i + 1 < trimmed.size() && trimmed[i + 1] == ' ') {
            if (!cell.isEmpty()) {
                cells << cell;
                cell.clear();
            }
            continue;
        }
        if (c == QLatin1Char(' ') && cell.isEmpty()) {
            continue;
        }
        cell += c;
        if (colon) {
            cells << cell;
            cell.clear();
        }
    }
    if (!cell.isEmpty()) {
        cells << cell;
    }
    return cells;
}

// Columns wide enough for the widest text the label expects as well as for the
// one it shows, so that they stay put from one second to the next. A line's last
// piece pushes nothing to its right, so it does not widen its column: the fees
// line up after the times, not after the longest count of bytes.
ColumnLabel::Columns ColumnLabel::Measure() const {
    Columns columns;
    columns.gap = fontMetrics().horizontalAdvance(QStringLiteral("  "));
    for (const QString& text : {WidestText(), QLabel::text()}) {
        for (const QString& line : Lines(text)) {
            const QStringList cells = Cells(line);
            for (qsizetype i = 0; i + 1 < cells.size(); ++i) {
                const auto column = static_cast<std::size_t>(i);
                if (columns.widths.size() <= column) {
                    columns.widths.resize(column + 1, 0);
                }
                columns.widths[column] =
                    std::max(columns.widths[column], fontMetrics().horizontalAdvance(cells[i]));
            }
        }
    }
    return columns;
}

// Where each piece of `text` goes; the last of a line is as wide as it draws.
std::vector<std::vector<ColumnLabel::PlacedCell>> ColumnLabel::Place(const QString& text) const {
    const Columns columns = Measure();
    const QRect area = contentsRect();
    const int lineHeight = fontMetrics().lineSpacing();
    std::vector<std::vector<PlacedCell>> placed;
    int top = area.top();
    for (const QString& line : Lines(text)) {
        const QStringList cells = Cells(line);
        auto& row = placed.emplace_back();
        int left = area.left();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const bool last = i + 1 == cells.size();
            const int width = last ? fontMetrics().horizontalAdvance(cells[i])
                                   : columns.widths[static_cast<std::size_t>(i)];
            // Captions that open a line end at their colon, the rest start at their column.
            const Qt::Alignment alignment =
                i == 0 && !last && EndsWithColon(cells[i]) ? Qt::AlignRight : Qt::AlignLeft;
            row.push_back({cells[i], QRect(left, top, width, lineHeight), alignment});
            left += width + (EndsWithColon(cells[i]) ? 0 : columns.gap);
        }
        top += lineHeight;
    }
    return placed;
}

std::vector<std::vector<ColumnLabel::PlacedCell>> ColumnLabel::Placed() const {
    return Place(QLabel::text());
}

QSize ColumnLabel::sizeHint() const {
    int width = 0;
    for (const QString& text : {WidestText(), QLabel::text()}) {
        for (const auto& row : Place(text)) {
            if (!row.empty()) {
                width = std::max(width, row.back().place.right() + 1);
            }
        }
    }
    const QSize plain = QLabel::sizeHint();
    return {std::max(plain.width(), width), plain.height()};
}

void ColumnLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    for (const auto& row : Placed()) {
        for (const PlacedCell& cell : row) {
            painter.drawText(cell.place, cell.alignment | Qt::AlignVCenter, cell.text);
        }
    }
}

}  // namespace vornik::gui
