#include "TapGestureRecogniser.h"

#include <cmath>

namespace parlowind {

double TapGestureRecogniser::doubleTapWindowFor(std::optional<double> doubleClickInterval)
{
    if (!doubleClickInterval || !std::isfinite(*doubleClickInterval))
        return minimumDoubleTapWindow;
    return *doubleClickInterval > minimumDoubleTapWindow ? *doubleClickInterval : minimumDoubleTapWindow;
}

TapGestureRecogniser::Interpretation TapGestureRecogniser::interpret(double pressedAt, double releasedAt,
                                                                     std::optional<PendingTap> pending) const
{
    const double duration = releasedAt - pressedAt;
    if (duration >= m_tapMaxDuration - tolerance)
        return { HotkeyGesture::hold(duration), std::nullopt };
    if (pending && pairsWith(*pending, pressedAt))
        return { HotkeyGesture::doubleTap(), std::nullopt };
    return { std::nullopt, PendingTap { releasedAt } };
}

bool TapGestureRecogniser::pairsWith(const PendingTap &pending, double pressedAt) const
{
    return pressedAt - pending.endedAt <= m_doubleTapWindow + tolerance;
}

bool TapGestureRecogniser::hasExpired(const PendingTap &pending, double now) const
{
    return now - pending.endedAt > m_doubleTapWindow + tolerance;
}

} // namespace parlowind
