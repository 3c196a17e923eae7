// The main window's panel: our own picture, a link to the home page. It makes
// no network request; a refresh reads the picture again, so one the user drops
// into the program folder shows at the next refresh.
#pragma once

#include <QLabel>
#include <QUrl>
#include <functional>

namespace vornik::gui {

class ResourceLocator;

class LocalPagePanel : public QLabel {
    Q_OBJECT
  public:
    using OpenUrl = std::function<bool(const QUrl&)>;
    LocalPagePanel(const ResourceLocator& locator, QUrl link, OpenUrl openUrl, QWidget* parent);

    void Refresh();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    const ResourceLocator& locator_;
    QUrl link_;
    OpenUrl openUrl_;
};

}  // namespace vornik::gui
