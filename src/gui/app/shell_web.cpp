// The search, the about box, the manual, the home page and the panel: each
// opens something in the desktop's browser or mail program and keeps no state.
// There is no forum, so its menu item (登陆论坛) stays out.
#include <QDialog>

#include "app/main_window.h"
#include "app/resource_locator.h"
#include "app/shell.h"
#include "base/panel_schedule.h"
#include "web/about_dialog.h"
#include "web/local_page_panel.h"
#include "web/search_dialog.h"
#include "web/web_pages.h"

namespace vornik::gui {
namespace {

// The tray menu stays usable under a window-modal dialog: a second door brings
// the open one forward instead of stacking another.
template <typename Dialog>
bool RaiseOpen(QWidget* owner) {
    for (Dialog* open : owner->findChildren<Dialog*>(Qt::FindDirectChildrenOnly)) {
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
            return true;
        }
    }
    return false;
}

}  // namespace

void Shell::OpenSearchDialog() {
    if (RaiseOpen<SearchDialog>(window_.get())) {
        return;
    }
    auto* dialog =
        new SearchDialog([this](const QUrl& url) { return OpenUrl(url); }, window_.get());
    dialog->open();
}

void Shell::OpenAboutDialog() {
    if (RaiseOpen<AboutDialog>(window_.get())) {
        return;
    }
    const AboutFacts facts{locator_->Picture(QStringLiteral("app"), QSize(64, 64)), HomePage(),
                           ContactMail()};
    auto* dialog = new AboutDialog(
        facts, [this](const QUrl& url) { return OpenUrl(url); }, window_.get());
    dialog->open();
}

// A missing manual or a desktop without a browser leaves only a line in the
// trace: the menu item has nothing else to say.
void Shell::OpenPage(const QUrl& page) {
    if (page.isEmpty() || !OpenUrl(page)) {
        parts_.log.Write("page not opened: " + page.toString().toStdString());
    }
}

void Shell::RefreshPanel() {
    if (!session_.LinkUp()) {
        return;
    }
    const auto begin = ParseMoment(session_.Call().callBeginTime);
    if (begin && PanelRefreshDue(*begin, parts_.clock.Now())) {
        panel_->Refresh();
    }
}

}  // namespace vornik::gui
