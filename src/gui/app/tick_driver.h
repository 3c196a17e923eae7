// The timers that drive the session: the one-second main tick, the one-minute
// tick, and a wake-up for the dialer at the moment it asked for (the simulated
// dialer's next step), never a poll on the off chance.
#pragma once

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>

#include "dialer/dialer.h"

namespace vornik::gui {

class TickDriver : public QObject {
  public:
    TickDriver(std::function<void()> mainTick, std::function<void()> minuteTick, Dialer& dialer,
               QObject* parent = nullptr)
        : QObject(parent), dialer_(dialer) {
        connect(&main_, &QTimer::timeout, this, std::move(mainTick));
        connect(&minute_, &QTimer::timeout, this, std::move(minuteTick));
        // A dial step is shown when it is due, not up to a timer's slack later.
        wake_.setSingleShot(true);
        wake_.setTimerType(Qt::PreciseTimer);
        connect(&wake_, &QTimer::timeout, this, [this] { dialer_.Poll(); });
    }
    ~TickDriver() override { dialer_.ClearWakeUp(this); }

    void Start() {
        main_.start(1000);
        minute_.start(60000);
        dialer_.SetWakeUp(this, [this](std::optional<std::int64_t> delayMs) {
            if (delayMs) {
                wake_.start(static_cast<int>(std::min<std::int64_t>(*delayMs, kLongestWaitMs)));
            } else {
                wake_.stop();
            }
        });
        // Whatever the dialer had due before the wake-up was there.
        wake_.start(0);
    }
    void Stop() {
        main_.stop();
        minute_.stop();
        wake_.stop();
        dialer_.ClearWakeUp(this);
    }

  private:
    // A timer counts in int milliseconds; a longer wait is taken in parts, as
    // the poll asks again for what is left.
    static constexpr std::int64_t kLongestWaitMs = 24 * 3600 * 1000;

    Dialer& dialer_;
    QTimer main_;
    QTimer minute_;
    QTimer wake_;
};

}  // namespace vornik::gui
