#pragma once

#include "SoundPlaying.h"

#include <functional>
#include <memory>

namespace parlowind {

// Puts the user's on/off switch for cues in front of the player that makes
// the sound. The switch is read on every cue, so a change in the settings
// applies to the next one without rebuilding anything.
class TogglingSoundPlayer final : public SoundPlaying
{
public:
    // `isEnabled` may be called from any thread.
    TogglingSoundPlayer(std::shared_ptr<SoundPlaying> wrapped, std::function<bool()> isEnabled);

    void play(DictationCue cue) override;

private:
    std::shared_ptr<SoundPlaying> m_wrapped;
    std::function<bool()> m_isEnabled;
};

} // namespace parlowind
