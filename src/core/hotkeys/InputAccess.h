#pragma once

#include "presentation/PermissionIssue.h"

#include <QString>

#include <optional>
#include <vector>

namespace parlowind {

// What this session offers for watching the lone dictation key and for
// sending synthetic keys (the paste). Gathered by the platform layer.
struct InputAccessFacts
{
    bool x11Available = false; // an X server with XInput2 and XTest answers
    bool inputDevicesPresent = false; // /dev/input/event* exist
    bool inputDevicesReadable = false; // at least one of them can be read
    bool uinputPresent = false; // /dev/uinput exists
    bool uinputWritable = false;
    bool inputGroupExists = false;
    bool userListedInInputGroup = false; // in the group database
    bool processInInputGroup = false; // in this login session's groups
};

// One thing that keeps a key mechanism from working, with its exact fix.
struct InputAccessProblem
{
    enum class Kind {
        keyWatchUnavailable, // neither XInput2 nor /dev/input: the lone key cannot be seen
        syntheticKeysUnavailable, // neither XTest nor /dev/uinput: no paste
    };
    Kind kind;
    // Added to the input group after this login began: only a new login
    // session picks the group up. This platform's "stale" grant.
    bool needsNewLogin = false;
    QString description; // what does not work and why
    QString fix; // the exact step(s) to take

    bool operator==(const InputAccessProblem &) const = default;
};

namespace InputAccess {

inline const QString addToGroupCommand = QStringLiteral("sudo usermod -aG input $USER");
inline const QString uinputRuleCommand
    = QStringLiteral("echo 'KERNEL==\"uinput\", GROUP=\"input\", MODE=\"0660\", OPTIONS+=\"static_node=uinput\"' | "
                     "sudo tee /etc/udev/rules.d/60-parlowind-uinput.rules && sudo modprobe uinput && "
                     "sudo udevadm trigger --sysname-match=uinput");

// Nothing when every mechanism this session needs is available.
std::vector<InputAccessProblem> problems(const InputAccessFacts &facts);

// The permission window's issue for these problems: a grant this session has
// not picked up yet is `accessibilityStale`, anything else missing
// `accessibilityMissing`; nothing when there is no problem.
std::optional<PermissionIssue> permissionIssue(const std::vector<InputAccessProblem> &problems);

} // namespace InputAccess
} // namespace parlowind
