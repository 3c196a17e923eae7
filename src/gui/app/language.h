// The language of the windows. Chinese is the language the program is written
// in; English comes from a translation catalogue. Only the desktop translates:
// the terminal, the log, reports, rule files and JSON keep their Chinese words,
// which other programs and older files rely on.
#pragma once

#include <QString>
#include <string>

#include "store/error_log.h"

class QTranslator;

namespace vornik::gui {

// "en" or "zh_CN" as given with --lang; empty: English in any English locale,
// else Chinese.
bool ChoosesEnglish(const std::string& choice);

// Installs the program's English catalogue: the installed one beside the
// program when there is one, else the one built into the desktop. The
// translator belongs to the application; null (and traced) when none loads.
QTranslator* InstallEnglish(const ErrorLog& log);

// English, or Chinese with Qt's own texts in Chinese, as `choice` says.
void InstallLanguage(const ErrorLog& log, const std::string& choice);

}  // namespace vornik::gui
