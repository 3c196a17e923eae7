#include "app/locale_number.h"

#include <QLocale>

namespace vornik::gui {

std::string LocaleNumber(double value, int decimals) {
    return QLocale::system().toString(value, 'f', decimals).toStdString();
}

}  // namespace vornik::gui
