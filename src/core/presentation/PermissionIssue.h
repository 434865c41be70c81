#pragma once

#include <QString>

namespace parlowind {

// What keeps dictation from starting. On Linux "accessibility" covers the
// input access the key watch and the synthetic paste need; "stale" is a
// grant given (the input group) that this login session does not have yet.
enum class PermissionIssue { microphoneDenied, accessibilityMissing, accessibilityStale };

inline QString nameOf(PermissionIssue issue)
{
    switch (issue) {
    case PermissionIssue::microphoneDenied:
        return QStringLiteral("microphoneDenied");
    case PermissionIssue::accessibilityMissing:
        return QStringLiteral("accessibilityMissing");
    case PermissionIssue::accessibilityStale:
        break;
    }
    return QStringLiteral("accessibilityStale");
}

} // namespace parlowind
