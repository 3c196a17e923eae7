#include "app/sound_player.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>

namespace vornik::gui {

SoundPlayer::SoundPlayer(const ResourceLocator& locator, Trace trace, QObject* parent)
    : QObject(parent), locator_(locator), trace_(std::move(trace)) {}

void SoundPlayer::Play(Sound sound) {
    if (!AudioOutputPresent() || !EffectFor(sound)) {
        return;
    }
    waiting_.push_back(sound);
    StartWaiting();
}

bool SoundPlayer::AudioOutputPresent() {
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        return true;
    }
    ReportOnce("sounds are not played", "no audio output device");
    return false;
}

QSoundEffect* SoundPlayer::EffectFor(Sound sound) {
    if (const auto found = effects_.find(sound); found != effects_.end()) {
        return found->second;
    }
    const QUrl source = locator_.SoundUrl(SoundName(sound));
    if (source.isEmpty()) {
        ReportOnce("sound not found", SoundName(sound));
        return nullptr;
    }
    // Loading runs in the background; the cue waits in line until it is ready.
    auto* effect = new QSoundEffect(this);
    connect(effect, &QSoundEffect::statusChanged, this, &SoundPlayer::StartWaiting);
    effect->setSource(source);
    effects_.emplace(sound, effect);
    return effect;
}

void SoundPlayer::StartWaiting() {
    while (!waiting_.empty()) {
        const Sound sound = waiting_.front();
        QSoundEffect* effect = effects_.at(sound);
        if (effect->status() == QSoundEffect::Loading) {
            return;
        }
        waiting_.pop_front();
        if (effect->status() != QSoundEffect::Ready) {
            ReportOnce("sound cannot be played",
                       effect->source().toDisplayString(QUrl::PreferLocalFile));
            continue;
        }
        effect->stop();
        effect->play();
    }
}

void SoundPlayer::ReportOnce(const QString& problem, const QString& subject) {
    const QString line = problem + ": " + subject;
    if (reported_.insert(line).second && trace_) {
        trace_(line.toStdString());
    }
}

}  // namespace vornik::gui
