#include "app/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTranslator>

#include "app/qt_translations.h"

namespace vornik::gui {
namespace {

const QString kCatalogue = QStringLiteral("vornik_en");

// An installed catalogue can be mended without building the program again.
QString InstalledFolder() {
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../share/vornik/translations"));
}

}  // namespace

bool ChoosesEnglish(const std::string& choice) {
    if (!choice.empty()) {
        return choice == "en";
    }
    return QLocale::system().language() == QLocale::English;
}

QTranslator* InstallEnglish(const ErrorLog& log) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    const bool loaded = translator->load(kCatalogue, InstalledFolder()) ||
                        translator->load(kCatalogue, QStringLiteral(":/translations"));
    if (!loaded || !QCoreApplication::installTranslator(translator)) {
        log.Write("The English texts (" + kCatalogue.toStdString() +
                  ".qm) could not be loaded; the windows stay Chinese");
        delete translator;
        return nullptr;
    }
    return translator;
}

void InstallLanguage(const ErrorLog& log, const std::string& choice) {
    if (ChoosesEnglish(choice)) {
        InstallEnglish(log);
    } else {
        InstallQtTranslations(log);
    }
}

}  // namespace vornik::gui
