#include "app/command_button.h"

#include <QKeyEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace vornik::gui {

CommandButton::CommandButton(const QString& caption, QWidget* parent) : QToolButton(parent) {
    setText(caption);
    setAutoRaise(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QToolButton::keyPressEvent(event);
}

// Flat tool buttons draw no focus mark in most styles: without one, Tab would
// move through the row unseen.
void CommandButton::paintEvent(QPaintEvent* event) {
    QToolButton::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    QStylePainter painter(this);
    QStyleOptionFocusRect mark;
    mark.initFrom(this);
    mark.rect = rect().adjusted(1, 1, -1, -1);
    mark.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, mark);
}

}  // namespace vornik::gui
