#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace vornik::gui {

QTranslator* InstallQtTranslations(const ErrorLog& log, const QString& folder) {
    // When the program speaks Chinese, Qt's texts follow the program, not the
    // system language.
    const QString where =
        folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    const QString catalogue = QStringLiteral("qtbase_zh_CN");
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(catalogue, where) || !QCoreApplication::installTranslator(translator)) {
        log.Write("Qt's Chinese texts are missing (" +
                  QDir(where).filePath(catalogue + QStringLiteral(".qm")).toStdString() +
                  "); standard buttons stay English. Debian package: qt6-translations-l10n");
        delete translator;
        return nullptr;
    }
    return translator;
}

}  // namespace vornik::gui
