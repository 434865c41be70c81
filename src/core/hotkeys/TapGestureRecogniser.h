#pragma once

#include <optional>

namespace parlowind {

// What one release of the dictation key meant.
struct HotkeyGesture
{
    enum class Kind {
        hold, // held for `seconds`, at least the tap limit
        singleTap, // a tap no second one followed; `interpret` never returns it
        doubleTap, // a second tap started within the window after the first ended
    };

    Kind kind = Kind::singleTap;
    double seconds = 0; // only for `hold`

    static HotkeyGesture hold(double seconds) { return { Kind::hold, seconds }; }
    static HotkeyGesture singleTap() { return { Kind::singleTap, 0 }; }
    static HotkeyGesture doubleTap() { return { Kind::doubleTap, 0 }; }

    bool operator==(const HotkeyGesture &) const = default;
};

// The pure rule that tells holds, taps and double taps apart from press and
// release times. The caller keeps the one piece of state, the pending tap, and
// hands it back in, so any clock will do (seconds).
class TapGestureRecogniser final
{
public:
    static constexpr double defaultTapMaxDuration = 0.3;
    static constexpr double minimumDoubleTapWindow = 1.2;

    // Clock readings are doubles counting seconds since boot, so differences
    // carry rounding noise far below a microsecond; boundaries tolerate it so
    // that "exactly 0.3 s" stays a hold.
    static constexpr double tolerance = 1e-6;

    // A first short tap waiting for a second one.
    struct PendingTap
    {
        double endedAt = 0; // clock time the tap was released
        bool operator==(const PendingTap &) const = default;
    };

    struct Interpretation
    {
        std::optional<HotkeyGesture> gesture;
        std::optional<PendingTap> pending; // replaces the caller's pending tap
    };

    TapGestureRecogniser(double tapMaxDuration, double doubleTapWindow)
        : m_tapMaxDuration(tapMaxDuration)
        , m_doubleTapWindow(doubleTapWindow)
    { }

    // The window for a desktop double-click interval (seconds): the interval
    // when it is longer than the minimum, the minimum otherwise or when the
    // desktop has none.
    static double doubleTapWindowFor(std::optional<double> doubleClickInterval);

    double tapMaxDuration() const { return m_tapMaxDuration; }
    double doubleTapWindow() const { return m_doubleTapWindow; }

    Interpretation interpret(double pressedAt, double releasedAt, std::optional<PendingTap> pending) const;

    // True when a press at `pressedAt` is close enough to the pending tap to
    // make a double tap of it (should it be short).
    bool pairsWith(const PendingTap &pending, double pressedAt) const;

    // True once the pending tap can no longer become a double tap.
    bool hasExpired(const PendingTap &pending, double now) const;

private:
    double m_tapMaxDuration;
    double m_doubleTapWindow;
};

} // namespace parlowind
