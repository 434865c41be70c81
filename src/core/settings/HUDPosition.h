#pragma once

#include <QString>

#include <array>
#include <optional>

namespace parlowind {

// Where the floating HUD sits on the screen. Stored as the case name.
enum class HUDPosition { bottomCenter, topCenter, bottomLeading, bottomTrailing };

// In the order the settings picker shows them.
inline constexpr std::array<HUDPosition, 4> allHUDPositions { HUDPosition::bottomCenter, HUDPosition::topCenter,
                                                              HUDPosition::bottomLeading, HUDPosition::bottomTrailing };

QString rawValue(HUDPosition position);
std::optional<HUDPosition> hudPositionFromRawValue(const QString &raw);
QString displayName(HUDPosition position);

} // namespace parlowind
