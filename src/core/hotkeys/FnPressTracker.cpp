#include "FnPressTracker.h"

namespace parlowind {

bool LoneKeyState::apply(const KeyEvent &event)
{
    switch (event.action) {
    case KeyEvent::Action::reset:
        reset();
        break;
    case KeyEvent::Action::down:
    case KeyEvent::Action::repeat:
        if (m_held == event.code)
            break; // its own auto-repeat
        if (!m_held && event.action == KeyEvent::Action::down && isWatchedKey(event.code)) {
            m_held = event.code;
            m_usedInChord = false;
        } else if (m_held) {
            m_usedInChord = true;
        }
        break;
    case KeyEvent::Action::up:
        if (m_held == event.code)
            reset();
        break;
    }
    return isDown();
}

} // namespace parlowind
