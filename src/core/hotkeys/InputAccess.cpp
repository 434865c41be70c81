#include "InputAccess.h"

namespace parlowind::InputAccess {

namespace {
const QString logInAgain = QStringLiteral("Log out and back in (or restart the computer), then start Parlowind again.");

// The group is what grants /dev/input (and /dev/uinput with our rule); the
// only question is whether this session has picked it up yet.
bool waitsForLogin(const InputAccessFacts &facts)
{
    return facts.userListedInInputGroup && !facts.processInInputGroup;
}
} // namespace

std::vector<InputAccessProblem> problems(const InputAccessFacts &facts)
{
    std::vector<InputAccessProblem> found;

    if (!facts.x11Available && !facts.inputDevicesReadable) {
        InputAccessProblem problem { InputAccessProblem::Kind::keyWatchUnavailable, false, {}, {} };
        if (!facts.inputDevicesPresent) {
            problem.description = QStringLiteral(
                "Parlowind cannot see the dictation key: this session has no X server and no input devices "
                "under /dev/input.");
            problem.fix = QStringLiteral("Bind \"parlowind ptt press\" and \"parlowind ptt release\" (or \"parlowind "
                                         "ptt toggle\") to a key in your desktop's keyboard shortcut settings.");
        } else if (waitsForLogin(facts)) {
            problem.needsNewLogin = true;
            problem.description = QStringLiteral(
                "You are in the input group, but this login session started before you were added, so Parlowind "
                "still cannot read /dev/input to see the dictation key.");
            problem.fix = logInAgain;
        } else {
            problem.description = QStringLiteral(
                "Parlowind cannot read /dev/input, so it cannot see the dictation key in this session.");
            problem.fix = QStringLiteral("Run \"%1\" in a terminal, then log out and back in.").arg(addToGroupCommand);
        }
        found.push_back(problem);
    }

    if (!facts.x11Available && !facts.uinputWritable) {
        InputAccessProblem problem { InputAccessProblem::Kind::syntheticKeysUnavailable, false, {}, {} };
        if (waitsForLogin(facts) && facts.uinputPresent) {
            problem.needsNewLogin = true;
            problem.description = QStringLiteral(
                "You are in the input group, but this login session started before you were added, so Parlowind "
                "still cannot write to /dev/uinput to paste text.");
            problem.fix = logInAgain;
        } else {
            problem.description = QStringLiteral(
                "Parlowind cannot write to /dev/uinput, so it cannot press Ctrl+V for you; text is left on the "
                "clipboard instead.");
            QString fix = QStringLiteral("Run \"%1\" in a terminal").arg(uinputRuleCommand);
            if (!facts.userListedInInputGroup)
                fix += QStringLiteral(" and \"%1\"").arg(addToGroupCommand);
            problem.fix = fix + QStringLiteral(", then log out and back in.");
        }
        found.push_back(problem);
    }
    return found;
}

std::optional<PermissionIssue> permissionIssue(const std::vector<InputAccessProblem> &problems)
{
    if (problems.empty())
        return std::nullopt;
    for (const auto &problem : problems)
        if (!problem.needsNewLogin)
            return PermissionIssue::accessibilityMissing;
    return PermissionIssue::accessibilityStale;
}

} // namespace parlowind::InputAccess
