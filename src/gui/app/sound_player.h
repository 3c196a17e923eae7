// Plays the prompt sounds without ever holding up the user-interface thread.
#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <map>
#include <set>

#include "app/resource_locator.h"
#include "app/user_interface.h"

class QSoundEffect;

namespace vornik::gui {

class SoundPlayer : public QObject {
    Q_OBJECT

  public:
    // `locator` must outlive the player. A cue that cannot be played is silent for
    // the user and written once to `trace`; so is a missing audio output.
    SoundPlayer(const ResourceLocator& locator, Trace trace, QObject* parent = nullptr);

    // Returns at once. The same cue again while it sounds starts it over; other
    // cues may overlap, and they start in the order they were asked for even while
    // an earlier one is still being loaded.
    void Play(Sound sound);
    // Every cue asked for has started or been given up.
    bool NothingWaiting() const { return waiting_.empty(); }

  private:
    QSoundEffect* EffectFor(Sound sound);
    // Starts the waiting cues from the front, up to the first still loading.
    void StartWaiting();
    bool AudioOutputPresent();
    void ReportOnce(const QString& problem, const QString& subject);

    const ResourceLocator& locator_;
    Trace trace_;
    std::map<Sound, QSoundEffect*> effects_;
    std::deque<Sound> waiting_;
    std::set<QString> reported_;
};

}  // namespace vornik::gui
