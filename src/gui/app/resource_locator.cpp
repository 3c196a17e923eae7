#include "app/resource_locator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <mutex>

// Q_INIT_RESOURCE names a function of the global namespace, so it cannot be used
// inside ours. The resources live in a static library: without this reference the
// linker would drop them.
static void RegisterBuiltInResources() {
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(vornik_translations);
}

namespace vornik::gui {

namespace {

const QStringList kIconExtensions = {".svg", ".png", ".ico"};
const QStringList kSoundExtensions = {".wav"};

// qGuiApp is a plain downcast of whatever application exists: under the
// terminal's QCoreApplication it would name an object that is no QGuiApplication.
qreal DevicePixelRatio() {
    const auto* app = qobject_cast<const QGuiApplication*>(QCoreApplication::instance());
    return app != nullptr ? app->devicePixelRatio() : 1.0;
}

QRectF TargetRect(QSizeF natural, QSizeF canvas, Qt::AspectRatioMode mode) {
    const QSizeF fitted = natural.isEmpty() ? canvas : natural.scaled(canvas, mode);
    return QRectF(
        QPointF((canvas.width() - fitted.width()) / 2, (canvas.height() - fitted.height()) / 2),
        fitted);
}

bool IsSvg(const QString& file) {
    return file.endsWith(".svg", Qt::CaseInsensitive);
}

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

// QSoundEffect never finishes loading a wave file whose header or sound data is
// cut short (an empty file, a broken copy), and destroying the effect then waits
// for it forever. Such a file must never reach it: a whole wave file has a format
// chunk before a data chunk that holds all the bytes it announces.
bool IsWholeWave(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE") {
        return false;
    }
    bool hasFormat = false;
    for (;;) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8) {
            return false;
        }
        const qint64 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qint64 left = file.size() - file.pos();
        if (chunk.startsWith("data")) {
            return hasFormat && size > 0 && size <= left;
        }
        if (chunk.startsWith("fmt ")) {
            hasFormat = size >= 16 && size <= left;
        }
        // Chunks are padded to an even length.
        if (!file.seek(file.pos() + size + (size & 1))) {
            return false;
        }
    }
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

ResourceLocator::ResourceLocator(const QString& programFolder, const QString& shareFolder,
                                 Trace trace)
    : trace_(std::move(trace)) {
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

void ResourceLocator::ReportOnce(const QString& problem, const QString& file) const {
    const QString line = problem + ": " + file;
    if (reported_.insert(line).second && trace_) {
        trace_(line.toStdString());
    }
}

QUrl ResourceLocator::SoundUrl(const QString& name) const {
    for (const QString& file : Candidates("sound", name, kSoundExtensions)) {
        if (file.startsWith(':')) {
            return QUrl("qrc" + file);
        }
        if (IsWholeWave(file)) {
            return QUrl::fromLocalFile(file);
        }
        ReportOnce("sound file passed over, not a whole wave file", file);
    }
    return {};
}

QIcon ResourceLocator::Icon(const QString& name) const {
    for (const QString& file : IconFiles(name)) {
        if (Readable(file)) {
            return QIcon(file);
        }
        ReportOnce("icon file passed over, not readable", file);
    }
    return {};
}

QPixmap ResourceLocator::Picture(const QString& name, QSize size, Qt::AspectRatioMode mode) const {
    for (const QString& file : IconFiles(name)) {
        QPixmap pixmap = RenderFile(file, size, mode);
        if (!pixmap.isNull()) {
            return pixmap;
        }
        ReportOnce("icon file passed over, not readable", file);
    }
    return {};
}

}  // namespace vornik::gui
