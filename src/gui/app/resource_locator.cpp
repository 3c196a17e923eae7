#include "app/resource_locator.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <mutex>

// Q_INIT_RESOURCE names a function of the global namespace, so it cannot be used
// inside ours. The resources live in a static library: without this reference the
// linker would drop them.
static void RegisterBuiltInResources() { Q_INIT_RESOURCE(resources); }

namespace vornik::gui {

namespace {

const QStringList kIconExtensions = {".svg", ".png", ".ico"};
const QStringList kSoundExtensions = {".wav"};

qreal DevicePixelRatio() { return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0; }

QRectF TargetRect(QSizeF natural, QSizeF canvas, Qt::AspectRatioMode mode) {
    const QSizeF fitted = natural.isEmpty() ? canvas : natural.scaled(canvas, mode);
    return QRectF(QPointF((canvas.width() - fitted.width()) / 2,
                          (canvas.height() - fitted.height()) / 2),
                  fitted);
}

bool IsSvg(const QString& file) { return file.endsWith(".svg", Qt::CaseInsensitive); }

// Draws `file` into `pixmap`; false when the file cannot be read.
bool DrawFile(const QString& file, QPixmap& pixmap, Qt::AspectRatioMode mode) {
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (IsSvg(file)) {
        QSvgRenderer svg(file);
        if (!svg.isValid()) {
            return false;
        }
        svg.render(&painter, TargetRect(svg.defaultSize(), pixmap.size(), mode));
        return true;
    }
    // QIcon picks the best of the several sizes an .ico file may hold.
    const QPixmap source = QIcon(file).pixmap(pixmap.size());
    if (source.isNull()) {
        return false;
    }
    painter.drawPixmap(TargetRect(source.size(), pixmap.size(), mode), source,
                       QRectF(source.rect()));
    return true;
}

QPixmap RenderFile(const QString& file, QSize size, Qt::AspectRatioMode mode) {
    const qreal ratio = DevicePixelRatio();
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    if (!DrawFile(file, pixmap, mode)) {
        return {};
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

bool Readable(const QString& file) {
    return !RenderFile(file, QSize(16, 16), Qt::KeepAspectRatio).isNull();
}

}  // namespace

void InitResources() {
    static std::once_flag once;
    std::call_once(once, RegisterBuiltInResources);
}

LinkIconNames LinkIconNamesFor(LinkIcons icons) {
    switch (icons) {
        case LinkIcons::kConnected:
            return {"icon1", "wintitle4", "down", "up"};
        case LinkIcons::kIdle:
            return {"icon3", "wintitle5", "down2", "up2"};
        case LinkIcons::kDisconnected:
            break;
    }
    return {"icon2", "wintitle", "down", "up"};
}

QString SoundName(Sound sound) {
    switch (sound) {
        case Sound::kConnected:
            return "connected";
        case Sound::kDisconnect:
            return "disconnect";
        case Sound::kTimeout:
            return "timeout";
        case Sound::kVolumeOut:
            return "volumeout";
        case Sound::kIdle:
            break;
    }
    return "idle";
}

ResourceLocator::ResourceLocator(const QString& programFolder, const QString& shareFolder) {
    InitResources();
    for (const QString& folder : {programFolder, shareFolder}) {
        if (!folder.isEmpty()) {
            folders_.append(folder);
        }
    }
}

QStringList ResourceLocator::Candidates(const QString& kind, const QString& name,
                                        const QStringList& extensions) const {
    QStringList files;
    const QString relative = kind + '/' + name;
    for (const QString& folder : folders_) {
        for (const QString& extension : extensions) {
            const QString file = QDir(folder).filePath(relative + extension);
            if (QFileInfo(file).isFile()) {
                files.append(file);
            }
        }
    }
    const QString builtIn = ":/" + relative + extensions.front();
    if (QFileInfo::exists(builtIn)) {
        files.append(builtIn);
    }
    return files;
}

QStringList ResourceLocator::IconFiles(const QString& name) const {
    return Candidates("icon", name, kIconExtensions);
}

QUrl ResourceLocator::SoundUrl(const QString& name) const {
    const QStringList files = Candidates("sound", name, kSoundExtensions);
    if (files.isEmpty()) {
        return {};
    }
    const QString& file = files.front();
    return file.startsWith(':') ? QUrl("qrc" + file) : QUrl::fromLocalFile(file);
}

QIcon ResourceLocator::Icon(const QString& name) const {
    for (const QString& file : IconFiles(name)) {
        if (Readable(file)) {
            return QIcon(file);
        }
    }
    return {};
}

QPixmap ResourceLocator::Picture(const QString& name, QSize size,
                                 Qt::AspectRatioMode mode) const {
    for (const QString& file : IconFiles(name)) {
        QPixmap pixmap = RenderFile(file, size, mode);
        if (!pixmap.isNull()) {
            return pixmap;
        }
    }
    return {};
}

}  // namespace vornik::gui
