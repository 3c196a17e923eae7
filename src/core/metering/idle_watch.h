// Idle spells: stretches in which both directions stay at or below the idle
// threshold. The watch says when a spell begins and ends, when its sound is due
// and when it has lasted long enough for the idle action.
#pragma once

#include <cstdint>

namespace vornik {

struct IdleStep {
    bool spellBegan = false;
    bool spellEnded = false;
    bool soundDue = false;  // five seconds into the spell, once
    bool timedOut = false;  // idleTimeMax seconds since the spell began (or the wait restarted)
};

class IdleWatch {
  public:
    static constexpr int kSoundAfterSeconds = 5;

    // One check per second while the link is up; `connected` false ends a spell
    // without telling anyone.
    IdleStep Check(bool connected, double downKBps, double upKBps, double maxSpeedForIdle,
                   std::int32_t idleTimeMax, std::int64_t monotonicMs);

    // The spell is over because the link was hung up.
    void EndSpell() { isIdle_ = false; }
    // The idle action was declined: wait idleTimeMax seconds from now again.
    void RestartWait(std::int64_t monotonicMs) { idleSinceMs_ = monotonicMs; }

    bool IsIdle() const { return isIdle_; }
    int IdleSeconds() const { return idleSeconds_; }

  private:
    bool isIdle_ = false;
    std::int64_t idleSinceMs_ = 0;
    int idleSeconds_ = 0;
};

}  // namespace vornik
