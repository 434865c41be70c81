#include "PlatformInfo.h"

namespace parlowind {

PlatformInfo PlatformInfo::detect()
{
    PlatformInfo info;
    const QString type = qEnvironmentVariable("XDG_SESSION_TYPE").toLower();
    info.hasX11Display = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (type == QStringLiteral("wayland") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        info.session = SessionType::wayland;
    else if (type == QStringLiteral("x11") || info.hasX11Display)
        info.session = SessionType::x11;
    return info;
}

QString PlatformInfo::describe() const
{
    switch (session) {
    case SessionType::x11:
        return QStringLiteral("X11");
    case SessionType::wayland:
        return hasX11Display ? QStringLiteral("Wayland (with XWayland)") : QStringLiteral("Wayland");
    case SessionType::unknown:
        break;
    }
    return QStringLiteral("no graphical session");
}

} // namespace parlowind
