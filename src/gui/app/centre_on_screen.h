#pragma once

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vornik::gui {

// The secondary windows open in the middle of the screen the pointer is on, not
// over the main window, which may be hidden in the notification area.
inline void CentreOnScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

}  // namespace vornik::gui
