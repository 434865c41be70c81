#include "HUDPosition.h"

namespace parlowind {

QString rawValue(HUDPosition position)
{
    switch (position) {
    case HUDPosition::bottomCenter:
        break;
    case HUDPosition::topCenter:
        return QStringLiteral("topCenter");
    case HUDPosition::bottomLeading:
        return QStringLiteral("bottomLeading");
    case HUDPosition::bottomTrailing:
        return QStringLiteral("bottomTrailing");
    }
    return QStringLiteral("bottomCenter");
}

std::optional<HUDPosition> hudPositionFromRawValue(const QString &raw)
{
    for (HUDPosition position : allHUDPositions)
        if (rawValue(position) == raw)
            return position;
    return std::nullopt;
}

QString displayName(HUDPosition position)
{
    switch (position) {
    case HUDPosition::bottomCenter:
        break;
    case HUDPosition::topCenter:
        return QStringLiteral("Top center");
    case HUDPosition::bottomLeading:
        return QStringLiteral("Bottom left");
    case HUDPosition::bottomTrailing:
        return QStringLiteral("Bottom right");
    }
    return QStringLiteral("Bottom center");
}

} // namespace parlowind
