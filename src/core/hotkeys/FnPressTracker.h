#pragma once

#include "HotkeyBinding.h"
#include "LoneKeySource.h"

#include <optional>

namespace parlowind {

// Turns the lone key's down state into phases: one `pressed` when it goes
// down, one `released` when it comes up, nothing otherwise.
struct FnPressTracker
{
    bool isDown = false;

    std::optional<HotkeyPhase> update(bool down)
    {
        if (!isDown && down) {
            isDown = true;
            return HotkeyPhase::pressed;
        }
        if (isDown && !down) {
            isDown = false;
            return HotkeyPhase::released;
        }
        isDown = down;
        return std::nullopt;
    }
    void reset() { isDown = false; }
};

// Decides from raw key events whether the lone dictation key counts as held:
// Right Ctrl (or a reported Fn key) went down and no other key has been
// pressed since. Pressing another key while holding it makes it a modifier of
// a chord, so it stops counting at once: the press already reported gets its
// release then, never later and never twice. Keys already held when it went
// down (Shift, say) do not matter.
class LoneKeyState
{
public:
    static bool isWatchedKey(std::uint32_t code) { return code == KeyCode::rightCtrl || code == KeyCode::fn; }

    // Applies one event; returns whether the lone key now counts as down.
    bool apply(const KeyEvent &event);
    bool isDown() const { return m_held.has_value() && !m_usedInChord; }
    void reset()
    {
        m_held.reset();
        m_usedInChord = false;
    }

private:
    std::optional<std::uint32_t> m_held;
    bool m_usedInChord = false;
};

} // namespace parlowind
