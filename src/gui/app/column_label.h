// A steady label for lines of "caption：value" pairs, such as the main window's
// status text. It keeps the text as it is composed but draws each line's pieces
// in columns: captions end at the same colon, values start at the same place,
// whatever blanks a line begins with and however wide the font draws them.
#pragma once

#include <QRect>
#include <QStringList>
#include <vector>

#include "app/steady_label.h"

namespace vornik::gui {

class ColumnLabel : public SteadyLabel {
  public:
    using SteadyLabel::SteadyLabel;

    QSize sizeHint() const override;

    // The pieces of one line: each caption ends with its colon, and a value ends
    // where two blanks part it from the next caption.
    static QStringList Cells(const QString& line);

    // Where each piece of each shown line is drawn, with its alignment in that place.
    struct PlacedCell {
        QString text;
        QRect place;
        Qt::Alignment alignment;
    };
    std::vector<std::vector<PlacedCell>> Placed() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Columns {
        std::vector<int> widths;
        int gap = 0;
    };
    Columns Measure() const;
    std::vector<std::vector<PlacedCell>> Place(const QString& text) const;
};

}  // namespace vornik::gui
