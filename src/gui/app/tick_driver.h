// The timers that drive the session: the one-second main tick, the one-minute
// tick and the dialer's own polling.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace vornik::gui {

class TickDriver : public QObject {
  public:
    TickDriver(std::function<void()> mainTick, std::function<void()> minuteTick,
               std::function<void()> poll, QObject* parent = nullptr)
        : QObject(parent) {
        connect(&main_, &QTimer::timeout, this, std::move(mainTick));
        connect(&minute_, &QTimer::timeout, this, std::move(minuteTick));
        connect(&poll_, &QTimer::timeout, this, std::move(poll));
    }

    void Start() {
        main_.start(1000);
        minute_.start(60000);
        poll_.start(200);
    }
    void Stop() {
        main_.stop();
        minute_.stop();
        poll_.stop();
    }

  private:
    QTimer main_;
    QTimer minute_;
    QTimer poll_;
};

}  // namespace vornik::gui
