#include "HUDLayout.h"

#include <cmath>

namespace parlowind::HUDLayout {

QPoint topLeft(const QRect &available, const QSize &size, HUDPosition position)
{
    const int centredX = available.x() + (available.width() - size.width()) / 2;
    const int bottomY = available.y() + available.height() - size.height() - margin;
    switch (position) {
    case HUDPosition::bottomCenter:
        return { centredX, bottomY };
    case HUDPosition::topCenter:
        return { centredX, available.y() + margin };
    case HUDPosition::bottomLeading:
        return { available.x() + margin, bottomY };
    case HUDPosition::bottomTrailing:
        return { available.x() + available.width() - size.width() - margin, bottomY };
    }
    return { centredX, bottomY };
}

QString elapsedText(double seconds)
{
    const long long whole = seconds > 0 ? static_cast<long long>(std::floor(seconds)) : 0;
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace parlowind::HUDLayout
