#include "app/float_window.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "app/core_text.h"
#include "app/twips.h"
#include "settings/options.h"

namespace vornik::gui {

namespace {

constexpr int kWidthTwips = 2550;
constexpr int kHeightTwips = 850;
constexpr int kOpaque = Options::kOpaque;

bool Fits(const QLabel* label, const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    const QSize room = label->contentsRect().size();
    return metrics.horizontalAdvance(text) <= room.width() &&
           metrics.ascent() + metrics.descent() <= room.height();
}

void Shrink(QFont& font) {
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * 0.9);
    } else {
        font.setPixelSize(std::max(1, font.pixelSize() * 9 / 10));
    }
}

bool IsMouseButtonEvent(const QEvent* event) {
    return event->type() == QEvent::MouseButtonPress ||
           event->type() == QEvent::MouseButtonRelease ||
           event->type() == QEvent::MouseButtonDblClick;
}

}  // namespace

FloatWindow::FloatWindow(const ResourceLocator& locator, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      locator_(locator) {
    setObjectName("frmStatus");
    setFixedSize(Pixels(kWidthTwips), Pixels(kHeightTwips));
    ApplySkinColours(nullptr);

    dialPicture_ = AddButtonPicture("Image1", "dial", tr("点击拨号"), 120, 120, 240, 225);
    // The texts reach up to the next picture, so a long time or a fast speed is
    // not cut short.
    timeLabel_ = AddControl("lblStatus", 480, 120, 1700, 255);
    statusPicture_ = AddControl("Image2", 2200, 120, 240, 240);
    hangUpPicture_ = AddButtonPicture("Image3", "hangup", tr("点击断开"), 120, 480, 195, 195);
    downArrow_ = AddControl("downArrow", 360, 480, 240, 240);
    downSpeed_ = AddControl("lbDownSpeed", 720, 480, 840, 255);
    upArrow_ = AddControl("upArrow", 1560, 480, 240, 240);
    upSpeed_ = AddControl("lbUpSpeed", 1800, 480, 630, 255);
    for (QLabel* text : {timeLabel_, downSpeed_, upSpeed_}) {
        text->setTextFormat(Qt::PlainText);
    }
    FitFonts();
    // The main tick shows the speeds once there is something to show.
    for (QLabel* control : {downArrow_, downSpeed_, upArrow_, upSpeed_}) {
        control->hide();
    }
    ShowLinkIcons(LinkIcons::kDisconnected);

    BuildMenu();
    SetAlpha(Options::kDefaultAlpha);
    PlaceTopCentre();
}

// Called every second: an unchanged text is not set again, so nothing repaints.
void FloatWindow::SetTimeLine(const QString& line) {
    if (line != timeLabel_->text()) {
        timeLabel_->setText(line);
    }
}

void FloatWindow::SetSpeeds(const QString& down, const QString& up) {
    if (down != downSpeed_->text()) {
        downSpeed_->setText(down);
    }
    if (up != upSpeed_->text()) {
        upSpeed_->setText(up);
    }
    if (downSpeed_->isHidden()) {
        for (QLabel* control : {downArrow_, downSpeed_, upArrow_, upSpeed_}) {
            control->show();
        }
    }
}

void FloatWindow::ShowLinkIcons(LinkIcons icons) {
    const LinkIconNames names = LinkIconNamesFor(icons);
    SetPicture(statusPicture_, names.statusPicture);
    SetPicture(downArrow_, names.downArrow);
    SetPicture(upArrow_, names.upArrow);
}

void FloatWindow::SetAlpha(int alpha) {
    setWindowOpacity(std::clamp(alpha, 0, kOpaque) / double(kOpaque));
}

void FloatWindow::ApplySkinColours(const SkinColours* colours) {
    skinned_ = colours != nullptr;
    QPalette own = palette();
    own.setColor(QPalette::Window,
                 skinned_ ? colours->window : QApplication::palette().window().color());
    own.setColor(QPalette::WindowText, skinned_ ? colours->text : QColor(0x1f, 0x2a, 0x37));
    setPalette(own);
    update();
}

int FloatWindow::Pixels(int twips) const {
    return Twips(this, twips);
}

// Each control has a fixed size: a new text repaints that control and nothing else.
QLabel* FloatWindow::AddControl(const char* name, int left, int top, int width, int height) {
    auto* control = new QLabel(this);
    control->setObjectName(name);
    control->move(Pixels(left), Pixels(top));
    control->setFixedSize(Pixels(width), Pixels(height));
    control->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    control->installEventFilter(this);
    return control;
}

QLabel* FloatWindow::AddButtonPicture(const char* name, const QString& picture, const QString& tip,
                                      int left, int top, int width, int height) {
    QLabel* control = AddControl(name, left, top, width, height);
    control->setToolTip(tip);
    control->setCursor(Qt::PointingHandCursor);
    SetPicture(control, picture);
    return control;
}

// The window keeps the size of its picture whatever the desktop's font: a larger
// font is made just small enough for the longest time and speed to fit, the
// three texts always at one size.
void FloatWindow::FitFonts() {
    CurrentCall longest;
    longest.callSeconds = 999 * 3600 + 59 * 60 + 59;
    const QString longestTime = CoreText(FloatTimeLine(longest, true));
    // Hundreds of KB/s: beyond the fastest link this window was drawn for.
    const QString fastest = CoreText(FloatSpeedText(999.9));
    QFont timeFont = font();
    QFont speedFont = font();
    speedFont.setFamily("Arial");
    for (int step = 0; step < 20; ++step) {
        if (Fits(timeLabel_, timeFont, longestTime) && Fits(downSpeed_, speedFont, fastest) &&
            Fits(upSpeed_, speedFont, fastest)) {
            break;
        }
        Shrink(timeFont);
        Shrink(speedFont);
    }
    timeLabel_->setFont(timeFont);
    downSpeed_->setFont(speedFont);
    upSpeed_->setFont(speedFont);
}

void FloatWindow::SetPicture(QLabel* label, const QString& name) {
    // A picture that cannot be found leaves the one shown before.
    const QPixmap picture = locator_.Picture(name, label->size());
    if (!picture.isNull()) {
        label->setPixmap(picture);
    }
}

void FloatWindow::BuildMenu() {
    menu_ = new QMenu(tr("浮动窗口菜单"), this);
    menu_->setObjectName("mnuFloatWin");
    const auto addItem = [this](const char* name, const QString& caption,
                                void (FloatWindow::*signal)()) {
        QAction* item = menu_->addAction(caption);
        item->setObjectName(name);
        connect(item, &QAction::triggered, this, signal);
    };
    addItem("mnuFloatWinConnect", tr("连接"), &FloatWindow::dialRequested);
    addItem("mnuFloatWinDisconnect", tr("挂断"), &FloatWindow::hangUpRequested);
    menu_->addSeparator();
    addItem("mnuHideFloatWin", tr("隐藏浮动窗口"), &FloatWindow::hideRequested);
    addItem("mnuShowMainWin", tr("显示程序界面"), &FloatWindow::showMainWindowRequested);
}

void FloatWindow::PlaceTopCentre() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y());
    }
}

void FloatWindow::OpenMenu(const QPoint& globalPosition) {
    menu_->popup(globalPosition);
}

void FloatWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (QWindow* window = windowHandle()) {
            window->startSystemMove();
        }
    } else if (event->button() == Qt::RightButton) {
        OpenMenu(event->globalPosition().toPoint());
    }
    event->accept();
}

void FloatWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // Overridden so that the second press of a double-click starts no drag.
    if (event->button() == Qt::LeftButton) {
        emit toggleMainWindowRequested();
    }
    event->accept();
}

void FloatWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (skinned_ || background_.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawPixmap(0, 0, background_);
}

void FloatWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        FitFonts();
    }
}

void FloatWindow::resizeEvent(QResizeEvent* event) {
    background_ = locator_.Picture("float_background", size(), Qt::IgnoreAspectRatio);
    QWidget::resizeEvent(event);
}

bool FloatWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QLabel*>(watched);
    if (!control || control->parentWidget() != this || !IsMouseButtonEvent(event)) {
        return QWidget::eventFilter(watched, event);
    }
    if (control == dialPicture_ || control == hangUpPicture_) {
        return HandleButtonPicture(control, event);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool arrow = control == downArrow_ || control == upArrow_;
    if (event->type() == QEvent::MouseButtonPress &&
        (arrow || mouse->button() == Qt::RightButton)) {
        OpenMenu(mouse->globalPosition().toPoint());
    }
    // Consumed in every case: a press on a label or picture must not reach the
    // background, which would drag the window.
    return true;
}

bool FloatWindow::HandleButtonPicture(QLabel* control, QEvent* event) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) {
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        pressedPicture_ = control;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        // A click is a press and a release on the same picture. The second press of
        // a double-click comes as a double-click event, so it makes no second click.
        const bool clicked =
            pressedPicture_ == control && control->rect().contains(mouse->position().toPoint());
        pressedPicture_ = nullptr;
        if (clicked && control == dialPicture_) {
            emit dialRequested();
        } else if (clicked) {
            emit hangUpRequested();
        }
    }
    return true;
}

}  // namespace vornik::gui
