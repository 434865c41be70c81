#pragma once

#include "dictation/SoundPlaying.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

class QSoundEffect;

namespace parlowind {

// Plays the two listening cues from WAV files shipped with the application
// ("listen-start.wav", "listen-stop.wav"), at the volume read on every play.
// Lives on the UI thread.
class BundledSoundPlayer final : public SoundPlaying
{
public:
    using Volume = std::function<float()>; // 0…1, callable from any thread

    // Nothing when either cue is missing or is not a readable WAV file: a
    // player never works with only one cue.
    static std::unique_ptr<BundledSoundPlayer> create(const QString &soundsDirectory, Volume volume);
    // Where the cues built into the application live.
    static QString bundledSoundsDirectory();

    ~BundledSoundPlayer() override;

    // Restarts the cue from its beginning if it is still sounding.
    void play(DictationCue cue) override;

    // The file behind a cue, for diagnostics.
    QString fileOf(DictationCue cue) const;
    float lastAppliedVolume(DictationCue cue) const;

private:
    explicit BundledSoundPlayer(Volume volume);

    Volume m_volume;
    std::map<DictationCue, std::unique_ptr<QSoundEffect>> m_players;
};

} // namespace parlowind
