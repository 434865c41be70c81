#pragma once

#include <cstdint>
#include <functional>

namespace parlowind {

// One key transition as a keyboard backend saw it. Codes are Linux input
// event codes.
struct KeyEvent
{
    enum class Action {
        down,
        up,
        repeat,
        reset, // the backend lost track of the keyboard (events were dropped)
    };
    std::uint32_t code = 0;
    Action action = Action::down;

    bool operator==(const KeyEvent &) const = default;
};

// A listen-only view of every key of the keyboard, used to watch the lone
// dictation key. Implementations never take keys away from other clients.
class LoneKeySource
{
public:
    using Handler = std::function<void(const KeyEvent &)>;

    virtual ~LoneKeySource() = default;

    // Starts delivering events to `handler` on the UI thread. Throws
    // HotkeyError::eventTapUnavailable when the keyboard cannot be read.
    virtual void start(Handler handler) = 0;

    // Stops delivering; safe to call when not started.
    virtual void stop() = 0;

    // For the log: "XInput2", "evdev", ...
    virtual const char *name() const = 0;
};

} // namespace parlowind
