#include "TogglingSoundPlayer.h"

namespace parlowind {

TogglingSoundPlayer::TogglingSoundPlayer(std::shared_ptr<SoundPlaying> wrapped, std::function<bool()> isEnabled)
    : m_wrapped(std::move(wrapped))
    , m_isEnabled(std::move(isEnabled))
{ }

void TogglingSoundPlayer::play(DictationCue cue)
{
    if (m_wrapped && m_isEnabled && m_isEnabled())
        m_wrapped->play(cue);
}

} // namespace parlowind
