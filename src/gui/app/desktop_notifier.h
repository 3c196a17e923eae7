// Notices as desktop notifications: org.freedesktop.Notifications on the session
// bus, each kind replacing its own previous notification, or the tray icon's
// balloon where no notification service answers.
#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QString>
#include <map>
#include <optional>

#include "app/resource_locator.h"
#include "app/user_interface.h"

class QSystemTrayIcon;

namespace vornik::gui {

class DesktopNotifier : public QObject {
    Q_OBJECT
  public:
    static constexpr int kShownMs = 8000;

    // `tray` may be null (no notification area): a notice that no service takes
    // is then only traced.
    DesktopNotifier(QSystemTrayIcon* tray, QIcon icon, Trace trace, QObject* parent = nullptr);
    ~DesktopNotifier() override;

    void Show(const Notice& notice);

  private:
    // What the notifications of one kind have come to.
    struct Kind {
        uint shownId = 0;  // the service's id of the last one, which the next replaces
        bool asking = false;
        // A notice that came while the service had not yet answered for the last:
        // it waits for that id rather than stand beside it as a second one.
        std::optional<Notice> waiting;
    };

    void Send(const Notice& notice);
    void OnAnswered(const Notice& notice, const QDBusMessage& reply);
    void ShowInTray(const Notice& notice, const QString& why);

    QSystemTrayIcon* tray_;
    QIcon icon_;
    Trace trace_;
    QString connectionName_;
    QDBusConnection bus_;
    std::map<NoticeKind, Kind> kinds_;
    bool fallbackTraced_ = false;
    // The service reads markup in the body: an entry named "A&B" is escaped.
    bool bodyMarkup_ = false;
};

}  // namespace vornik::gui
