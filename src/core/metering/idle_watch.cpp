#include "metering/idle_watch.h"

namespace vornik {

IdleStep IdleWatch::Check(bool connected, double downKBps, double upKBps, double maxSpeedForIdle,
                          std::int32_t idleTimeMax, std::int64_t monotonicMs) {
    IdleStep step;
    if (!connected) {
        isIdle_ = false;
        return step;
    }
    // Equal to the threshold still counts as idle.
    const bool active = upKBps > maxSpeedForIdle || downKBps > maxSpeedForIdle;
    if (active) {
        step.spellEnded = isIdle_;
        isIdle_ = false;
        return step;
    }
    if (!isIdle_) {
        isIdle_ = true;
        idleSeconds_ = 0;
        idleSinceMs_ = monotonicMs;
        step.spellBegan = true;
        return step;
    }
    ++idleSeconds_;
    step.soundDue = idleSeconds_ == kSoundAfterSeconds;
    step.timedOut = (monotonicMs - idleSinceMs_) / 1000 >= idleTimeMax;
    return step;
}

}  // namespace vornik
