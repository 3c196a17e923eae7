#pragma once

#include <QWidget>

namespace vornik::gui {

// Sizes are given in twips (1440 to the inch) and follow the screen's resolution.
inline int Twips(const QWidget* widget, int twips) {
    const int dpi = widget ? widget->logicalDpiX() : 96;
    return qRound(double(twips) * dpi / 1440);
}

}  // namespace vornik::gui
