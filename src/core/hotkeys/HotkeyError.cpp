#include "HotkeyError.h"

namespace parlowind {

QString HotkeyError::logDescription() const
{
    switch (m_kind) {
    case Kind::registrationFailed:
        return QStringLiteral("registrationFailed(%1)").arg(m_status);
    case Kind::alreadyRegistered:
        return QStringLiteral("alreadyRegistered(%1)").arg(rawName(m_id));
    case Kind::requiresEventTap:
        return QStringLiteral("requiresEventTap");
    case Kind::eventTapUnavailable:
        return QStringLiteral("eventTapUnavailable");
    }
    return {};
}

QString HotkeyError::description() const
{
    switch (m_kind) {
    case Kind::registrationFailed:
        return QStringLiteral(
                   "The key could not be claimed: another application or the desktop already uses it (status %1).")
            .arg(m_status);
    case Kind::alreadyRegistered:
        return QStringLiteral("The %1 key is already registered.").arg(rawName(m_id));
    case Kind::requiresEventTap:
        return QStringLiteral("This key can only be watched, not claimed as a shortcut.");
    case Kind::eventTapUnavailable:
        return QStringLiteral(
            "Parlowind cannot watch the keyboard for the dictation key: it needs an X11 session or read "
            "access to /dev/input.");
    }
    return {};
}

} // namespace parlowind
