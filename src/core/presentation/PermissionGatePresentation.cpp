#include "PermissionGatePresentation.h"

#include "hotkeys/InputAccess.h"

namespace parlowind {

PermissionGatePresentation PermissionGatePresentation::make(PermissionIssue issue)
{
    switch (issue) {
    case PermissionIssue::microphoneDenied:
        return {
            QStringLiteral("Parlowind needs your microphone"),
            QStringLiteral("Dictation is impossible without it. Nothing is recorded until you hold your dictation key, "
                           "and audio never leaves this computer."),
            { QStringLiteral("Make sure the sound server (PipeWire or PulseAudio) is running and a microphone is "
                             "plugged in."),
              QStringLiteral("Choose it as the input device in your desktop's sound settings.") },
            QStringLiteral("Open Sound Settings"),
            {},
            {},
            true,
        };
    case PermissionIssue::accessibilityMissing:
        return {
            QStringLiteral("Parlowind needs Accessibility access"),
            QStringLiteral("This is what lets Parlowind see your dictation key and type text into the app you are "
                           "using. It cannot read your screen or your keystrokes for anything else."),
            { QStringLiteral("Click Copy Command below and run it in a terminal: %1")
                  .arg(InputAccess::addToGroupCommand),
              QStringLiteral("Log out and back in.") },
            QStringLiteral("Copy Command"),
            {},
            InputAccess::addToGroupCommand,
            false,
        };
    case PermissionIssue::accessibilityStale:
        break;
    }
    return {
        QStringLiteral("Input access needs a new login"),
        QStringLiteral("Linux gives a new group only to login sessions that start after you joined it, so this "
                       "session still runs without the input group. Nothing looks wrong, which is why this is "
                       "confusing rather than obvious — you have to log out and back in for it to take effect."),
        { QStringLiteral("Save your work."), QStringLiteral("Log out and back in (or restart the computer)."),
          QStringLiteral("Start Parlowind again.") },
        QStringLiteral("Log Out…"),
        {},
        {},
        true,
    };
}

} // namespace parlowind
