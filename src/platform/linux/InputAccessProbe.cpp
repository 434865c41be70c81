#include "InputAccessProbe.h"

#include "EvdevKeySource.h"
#include "XInput2KeySource.h"

#include <QDir>
#include <QFile>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace parlowind::InputAccessProbe {

namespace {
bool hasXTest()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    const bool present = XTestQueryExtension(display, &event, &error, &major, &minor);
    XCloseDisplay(display);
    return present;
}
} // namespace

GroupMembership groupMembership(const char *group)
{
    GroupMembership membership;
    const struct group *entry = getgrnam(group);
    if (!entry)
        return membership;
    membership.exists = true;
    const gid_t gid = entry->gr_gid;

    if (const struct passwd *user = getpwuid(getuid())) {
        membership.listed = user->pw_gid == gid;
        for (char **member = entry->gr_mem; member && *member && !membership.listed; ++member)
            membership.listed = std::strcmp(*member, user->pw_name) == 0;
    }

    membership.inSession = getgid() == gid || getegid() == gid;
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(std::size_t(count), 0);
        const int got = getgroups(count, groups.data());
        for (int i = 0; i < got; ++i)
            membership.inSession = membership.inSession || groups[std::size_t(i)] == gid;
    }
    return membership;
}

InputAccessFacts probe(const QString &inputDirectory, const QString &uinputPath)
{
    InputAccessFacts facts;
    facts.x11Available = !qEnvironmentVariableIsEmpty("DISPLAY") && XInput2KeySource::isAvailable() && hasXTest();
    facts.inputDevicesPresent = !QDir(inputDirectory).entryList({ QStringLiteral("event*") }, QDir::System).isEmpty();
    facts.inputDevicesReadable = facts.inputDevicesPresent && !EvdevKeySource::keyboards(inputDirectory).isEmpty();
    const QByteArray uinput = QFile::encodeName(uinputPath);
    facts.uinputPresent = ::access(uinput.constData(), F_OK) == 0;
    facts.uinputWritable = facts.uinputPresent && ::access(uinput.constData(), W_OK) == 0;
    const GroupMembership input = groupMembership("input");
    facts.inputGroupExists = input.exists;
    facts.userListedInInputGroup = input.listed;
    facts.processInInputGroup = input.inSession;
    return facts;
}

std::optional<PermissionIssue> issue()
{
    return InputAccess::permissionIssue(InputAccess::problems(probe()));
}

} // namespace parlowind::InputAccessProbe
