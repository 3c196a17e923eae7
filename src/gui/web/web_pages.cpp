#include "web/web_pages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vornik::gui {

QUrl ManualFrontPage() {
    // The installed share folder sits beside the executable's bin folder.
    const QString installed =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/vornik/manual");
    for (const QString& folder : {installed, QStringLiteral(VORNIK_BUILD_MANUAL)}) {
        const QFileInfo page(QDir(folder).filePath(QStringLiteral("index.html")));
        if (page.isFile()) {
            return QUrl::fromLocalFile(page.canonicalFilePath());
        }
    }
    return {};
}

QUrl HomePage() {
    const QString chosen = QStringLiteral(VORNIK_HOME_PAGE);
    return chosen.isEmpty() ? ManualFrontPage() : QUrl(chosen);
}

QString ContactMail() {
    return QStringLiteral(VORNIK_CONTACT_MAIL);
}

QString VersionText() {
    return QStringLiteral(VORNIK_VERSION);
}

}  // namespace vornik::gui
