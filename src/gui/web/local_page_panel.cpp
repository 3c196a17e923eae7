#include "web/local_page_panel.h"

#include <QMouseEvent>

#include "app/resource_locator.h"

namespace vornik::gui {
namespace {

const QSize kPictureSize(240, 60);

}  // namespace

LocalPagePanel::LocalPagePanel(const ResourceLocator& locator, QUrl link, OpenUrl openUrl,
                               QWidget* parent)
    : QLabel(parent), locator_(locator), link_(std::move(link)), openUrl_(std::move(openUrl)) {
    setObjectName(QStringLiteral("frameAdver"));
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    setToolTip(link_.toDisplayString());
    setFixedHeight(kPictureSize.height());
    Refresh();
}

// The picture carries words, so each language has its own: the name of the
// English one is the translation of the Chinese one's.
void LocalPagePanel::Refresh() {
    setPixmap(locator_.Picture(tr("adver"), kPictureSize));
}

// Taken here, so that a click on the link does not start a move of the window.
void LocalPagePanel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void LocalPagePanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !link_.isEmpty()) {
        openUrl_(link_);
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace vornik::gui
