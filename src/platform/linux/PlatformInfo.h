#pragma once

#include <QString>

namespace parlowind {

// The kind of desktop session this process runs in, detected once at start.
enum class SessionType { x11, wayland, unknown };

struct PlatformInfo
{
    SessionType session = SessionType::unknown;
    bool hasX11Display = false; // X11 itself or XWayland

    static PlatformInfo detect();
    QString describe() const;
};

} // namespace parlowind
