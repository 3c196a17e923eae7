// The core speaks Chinese and knows nothing of Qt: its texts are translated
// where the desktop shows them, in the translation context "core".
#pragma once

#include <QString>
#include <string>

namespace vornik::gui {

// A text of the core as the desktop shows it. A text the catalogue holds whole
// is translated whole; one the core composed (labels with figures, a reason
// after a file name) has its known parts translated, and the figures, names and
// paths between them kept. Without a translation the text stays as it is.
QString CoreText(const std::string& text);

}  // namespace vornik::gui
