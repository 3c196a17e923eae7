// Where the icons, pictures and prompt sounds come from. A user may drop their own
// files into the program folder; those win over the installed share folder, which
// wins over the copies built into the executable.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <set>
#include <string>

#include "app/user_interface.h"

namespace vornik::gui {

// Receives one line for the trace file (log/error.log).
using Trace = std::function<void(const std::string& line)>;

// Registers the built-in icons and sounds (":/icon/...", ":/sound/..."). The
// locator does it itself; only code that reads those paths directly without a
// locator needs to call it. Safe to call more than once.
void InitResources();

// The names of the pictures that follow the link, in one place.
struct LinkIconNames {
    QString trayIcon;
    QString statusPicture;
    QString downArrow;
    QString upArrow;
};
LinkIconNames LinkIconNamesFor(LinkIcons icons);
QString SoundName(Sound sound);

class ResourceLocator {
  public:
    // Both folders hold the same layout: icon/NAME.{svg,png,ico}, sound/NAME.wav.
    // An empty share folder is skipped. A file that cannot be used is passed over
    // for the next source and written once to `trace`.
    explicit ResourceLocator(const QString& programFolder, const QString& shareFolder = {},
                             Trace trace = {});

    // A local-file URL, or a "qrc:" URL for the built-in cue; empty when no
    // source has a whole wave file of that name.
    QUrl SoundUrl(const QString& name) const;
    // The first picture of that name that can be read; null when none can.
    QIcon Icon(const QString& name) const;
    // The picture fitted into `size` (device-independent pixels), centred on a
    // transparent ground; `mode` IgnoreAspectRatio stretches it to fill instead.
    // Null when no source has a readable picture of that name.
    QPixmap Picture(const QString& name, QSize size,
                    Qt::AspectRatioMode mode = Qt::KeepAspectRatio) const;

  private:
    // The existing files for `name` under `kind` ("icon", "sound"), most preferred
    // first, the built-in one last.
    QStringList Candidates(const QString& kind, const QString& name,
                           const QStringList& extensions) const;
    QStringList IconFiles(const QString& name) const;
    void ReportOnce(const QString& problem, const QString& file) const;

    QStringList folders_;
    Trace trace_;
    mutable std::set<QString> reported_;
};

}  // namespace vornik::gui
