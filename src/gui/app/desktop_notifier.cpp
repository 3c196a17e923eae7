#include "app/desktop_notifier.h"

#include "app/core_text.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QImage>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QVariantMap>
#include <utility>

namespace vornik::gui {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kPictureSide = 48;

// A connection of its own to the bus that the environment names when the shell
// starts: Qt's shared session bus keeps the address it found first.
QDBusConnection SessionBus(const QString& name) {
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty()) {
        return QDBusConnection::sessionBus();
    }
    return QDBusConnection::connectToBus(address, name);
}

// The picture itself (the "image-data" hint), so the notification shows the
// program's icon whether or not the desktop's icon theme has one by its name.
QVariant ImageData(const QIcon& icon) {
    const QImage image =
        icon.pixmap(kPictureSide, kPictureSide).toImage().convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument data;
    data.beginStructure();
    data << image.width() << image.height() << static_cast<int>(image.bytesPerLine()) << true << 8
         << 4
         << QByteArray(reinterpret_cast<const char*>(image.constBits()),
                       static_cast<int>(image.sizeInBytes()));
    data.endStructure();
    return QVariant::fromValue(data);
}

}  // namespace

DesktopNotifier::DesktopNotifier(QSystemTrayIcon* tray, QIcon icon, Trace trace, QObject* parent)
    : QObject(parent),
      tray_(tray),
      icon_(std::move(icon)),
      trace_(std::move(trace)),
      connectionName_(
          QStringLiteral("vornik-notifications-%1").arg(reinterpret_cast<quintptr>(this), 0, 16)),
      bus_(SessionBus(connectionName_)) {
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(kService, kPath, kService, "GetCapabilities");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                bodyMarkup_ = finished->reply().arguments().value(0).toStringList().contains(
                    QStringLiteral("body-markup"));
            });
}

DesktopNotifier::~DesktopNotifier() {
    QDBusConnection::disconnectFromBus(connectionName_);
}

void DesktopNotifier::Show(const Notice& notice) {
    Kind& kind = kinds_[notice.kind];
    if (kind.asking) {
        kind.waiting = notice;
        return;
    }
    Send(notice);
}

void DesktopNotifier::Send(const Notice& notice) {
    Kind& kind = kinds_[notice.kind];
    kind.asking = true;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
    const QString body = QString::fromStdString(notice.body);
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral(VORNIK_APP_ID)}};
    if (!icon_.isNull()) {
        hints.insert(QStringLiteral("image-data"), ImageData(icon_));
    }
    call << QStringLiteral("Vornik") << kind.shownId << QStringLiteral(VORNIK_APP_ID)
         << CoreText(notice.summary) << (bodyMarkup_ ? body.toHtmlEscaped() : body) << QStringList()
         << hints << kShownMs;
    // Asked without waiting: a slow or missing service never holds the window up.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, notice](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                OnAnswered(notice, finished->reply());
            });
}

void DesktopNotifier::OnAnswered(const Notice& notice, const QDBusMessage& reply) {
    Kind& kind = kinds_[notice.kind];
    kind.asking = false;
    if (reply.type() == QDBusMessage::ReplyMessage) {
        kind.shownId = reply.arguments().value(0).toUInt();
    } else {
        ShowInTray(notice, reply.errorMessage());
    }
    if (std::optional<Notice> next = std::exchange(kind.waiting, std::nullopt)) {
        Send(*next);
    }
}

void DesktopNotifier::ShowInTray(const Notice& notice, const QString& why) {
    if (!fallbackTraced_ && trace_) {
        fallbackTraced_ = true;
        trace_("no desktop notification service answers on the session bus (" + why.toStdString() +
               (tray_ != nullptr ? "): notices go to the tray icon's balloon"
                                 : "), and there is no tray icon: notices are not shown"));
    }
    if (tray_ != nullptr) {
        tray_->showMessage(CoreText(notice.summary), QString::fromStdString(notice.body), icon_,
                           kShownMs);
    }
}

}  // namespace vornik::gui
