#pragma once

#include "hotkeys/InputAccess.h"

namespace parlowind {

// Asks this session what the key watch and the synthetic keys can use. Every
// call looks afresh.
namespace InputAccessProbe {

InputAccessFacts probe(const QString &inputDirectory = QStringLiteral("/dev/input"),
                       const QString &uinputPath = QStringLiteral("/dev/uinput"));

// The permission window's issue for this session's input access, if any:
// what the lone-key watch and the synthetic paste lack. A check for the
// permission watcher.
std::optional<PermissionIssue> issue();

// Membership of the group named `group` for the user running this process:
// in the group database, and in the groups this process actually has.
struct GroupMembership
{
    bool exists = false;
    bool listed = false;
    bool inSession = false;
};
GroupMembership groupMembership(const char *group);

} // namespace InputAccessProbe
} // namespace parlowind
