// Qt's own texts, the standard buttons of every question among them, read in
// Chinese only when Qt's Chinese catalogue is installed in the application
// (Debian package qt6-translations-l10n). In English Qt's own texts serve.
#pragma once

#include <QString>

#include "store/error_log.h"

class QTranslator;

namespace vornik::gui {

// Installs Qt's Chinese catalogue from `folder` (by default Qt's own translations
// folder). The translator belongs to the application. When the catalogue cannot
// be loaded, that is traced and Qt's texts stay English: null.
QTranslator* InstallQtTranslations(const ErrorLog& log, const QString& folder = {});

}  // namespace vornik::gui
