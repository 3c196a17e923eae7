// The pages the program opens in the desktop's browser: its own manual, the home
// page and the maker's mail address.
#pragma once

#include <QString>
#include <QUrl>

namespace vornik::gui {

// The manual's front page as a local-file address: the installed manual beside
// the program, else the one a build tree holds. Empty when neither is there.
QUrl ManualFrontPage();
// The address a packager chose (VORNIK_HOME_PAGE); without one, the manual's
// front page, as the project has no web site of its own.
QUrl HomePage();
QString ContactMail();
QString VersionText();

}  // namespace vornik::gui
