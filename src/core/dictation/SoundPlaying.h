#pragma once

#include "DictationCue.h"

namespace parlowind {

// Plays a listening cue. Returns at once; never waits for the sound to end.
class SoundPlaying
{
public:
    virtual ~SoundPlaying() = default;
    virtual void play(DictationCue cue) = 0;
};

} // namespace parlowind
