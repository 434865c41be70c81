#pragma once

#include "settings/HUDPosition.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace parlowind {

// Geometry and text of the HUD that do not need a window system.
namespace HUDLayout {

inline constexpr int margin = 24;
inline constexpr int barCount = 24;
inline constexpr int framesPerSecond = 30;

// Top-left corner of a panel of `size` in the screen's available area
// (screen coordinates, y growing downwards).
QPoint topLeft(const QRect &available, const QSize &size, HUDPosition position);

// "m:ss" from whole seconds; minutes are not capped at 59.
QString elapsedText(double seconds);

} // namespace HUDLayout
} // namespace parlowind
