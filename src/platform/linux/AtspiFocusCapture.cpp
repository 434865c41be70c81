#include "AtspiFocusCapture.h"

#include "AtspiSupport.h"
#include "AtspiTextElement.h"
#include "PlatformInfo.h"
#include "X11ActiveWindow.h"

#include <QLoggingCategory>

#include <atspi/atspi.h>

Q_LOGGING_CATEGORY(lcFocus, "parlowind.injection")

namespace parlowind {

namespace {

// A frozen or enormous tree (a spreadsheet) must not stall the press.
constexpr int maxVisitedNodes = 3000;

struct Unref
{
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
using AccessiblePtr = std::unique_ptr<AtspiAccessible, Unref>;

AccessiblePtr child(AtspiAccessible *parent, int index)
{
    GError *error = nullptr;
    AtspiAccessible *result = atspi_accessible_get_child_at_index(parent, index, &error);
    if (atspi::consumeError(error)) {
        if (result)
            g_object_unref(result);
        return nullptr;
    }
    return AccessiblePtr(result);
}

int childCount(AtspiAccessible *accessible)
{
    GError *error = nullptr;
    const int count = atspi_accessible_get_child_count(accessible, &error);
    return atspi::consumeError(error) ? 0 : count;
}

bool hasState(AtspiAccessible *accessible, AtspiStateType state)
{
    AtspiStateSet *states = atspi_accessible_get_state_set(accessible);
    if (!states)
        return false;
    const bool result = atspi_state_set_contains(states, state);
    g_object_unref(states);
    return result;
}

// Depth first, the first node holding the focused state.
AccessiblePtr findFocused(AtspiAccessible *root, int &budget)
{
    if (--budget < 0)
        return nullptr;
    if (hasState(root, ATSPI_STATE_FOCUSED))
        return AccessiblePtr(static_cast<AtspiAccessible *>(g_object_ref(root)));
    // Lists and tables that manage their descendants can be huge; their
    // cells are not text fields we write into.
    if (hasState(root, ATSPI_STATE_MANAGES_DESCENDANTS))
        return nullptr;
    const int count = childCount(root);
    for (int i = 0; i < count && budget > 0; ++i) {
        if (AccessiblePtr node = child(root, i))
            if (AccessiblePtr found = findFocused(node.get(), budget))
                return found;
    }
    return nullptr;
}

// The application's focused element, searching its active window first:
// an inactive window may still mark the widget that last had the focus.
AccessiblePtr focusedIn(AtspiAccessible *application)
{
    int budget = maxVisitedNodes;
    const int count = childCount(application);
    for (bool activeOnly : { true, false }) {
        for (int i = 0; i < count; ++i) {
            AccessiblePtr window = child(application, i);
            if (!window || hasState(window.get(), ATSPI_STATE_ACTIVE) != activeOnly)
                continue;
            if (AccessiblePtr found = findFocused(window.get(), budget))
                return found;
        }
    }
    return nullptr;
}

int processId(AtspiAccessible *accessible)
{
    GError *error = nullptr;
    const guint pid = atspi_accessible_get_process_id(accessible, &error);
    return atspi::consumeError(error) ? 0 : static_cast<int>(pid);
}

QString name(AtspiAccessible *accessible)
{
    GError *error = nullptr;
    char *text = atspi_accessible_get_name(accessible, &error);
    if (atspi::consumeError(error)) {
        g_free(text);
        return {};
    }
    return atspi::takeString(text);
}

bool hasActiveWindow(AtspiAccessible *application)
{
    const int count = childCount(application);
    for (int i = 0; i < count; ++i)
        if (AccessiblePtr window = child(application, i); window && hasState(window.get(), ATSPI_STATE_ACTIVE))
            return true;
    return false;
}

// The registered application with this process id or, without one, the
// application owning the active window.
AccessiblePtr findApplication(int pid)
{
    AccessiblePtr desktop(atspi_get_desktop(0));
    if (!desktop)
        return nullptr;
    const int count = childCount(desktop.get());
    for (int i = 0; i < count; ++i) {
        AccessiblePtr application = child(desktop.get(), i);
        if (!application)
            continue;
        if (pid > 0 ? processId(application.get()) == pid : hasActiveWindow(application.get()))
            return application;
    }
    return nullptr;
}

} // namespace

AtspiFocusCapture::AtspiFocusCapture()
{
    // Under Wayland, XWayland's active window says nothing about native
    // Wayland windows: there the application comes from AT-SPI alone.
    if (PlatformInfo::detect().session == SessionType::x11) {
        auto activeWindow = std::make_unique<X11ActiveWindow>();
        if (activeWindow->isAvailable())
            m_activeWindow = std::move(activeWindow);
    }
}

AtspiFocusCapture::~AtspiFocusCapture() = default;

FocusContext AtspiFocusCapture::capture()
{
    FocusContext context;
    int pid = 0;
    if (m_activeWindow) {
        if (const std::optional<X11ActiveWindow::Info> window = m_activeWindow->query()) {
            context.bundleIdentifier = window->applicationClass;
            context.appName = window->applicationClass;
            pid = window->processId;
        }
    }

    std::shared_ptr<AtspiTextElement> element;
    // Without a process id on X11 (a window that does not set _NET_WM_PID)
    // guessing the application by its active window could pick another one.
    const bool lookUp = atspi::ensureInitialised() && (pid > 0 || !m_activeWindow);
    if (lookUp) {
        if (AccessiblePtr application = findApplication(pid)) {
            // On X11 the window names the application already. WORKAROUND
            // (libatspi 2.46): reading an application's name while its
            // name-change event is being cached can leak the old name.
            if (!context.bundleIdentifier) {
                const QString applicationName = name(application.get());
                if (!applicationName.isEmpty())
                    context.bundleIdentifier = context.appName = applicationName;
            }
            if (AccessiblePtr focused = focusedIn(application.get()))
                element = std::make_shared<AtspiTextElement>(focused.get());
        }
    }
    qCDebug(lcFocus) << "captured" << context.description() << "pid" << pid << "element" << (element != nullptr);

    {
        std::lock_guard lock(m_mutex);
        m_element = element;
    }
    context.hasElement = element != nullptr;
    return context;
}

std::shared_ptr<AtspiTextElement> AtspiFocusCapture::element()
{
    std::shared_ptr<AtspiTextElement> element;
    {
        std::lock_guard lock(m_mutex);
        element = m_element;
    }
    if (element && !element->isAlive())
        return nullptr;
    return element;
}

std::optional<QString> AtspiFocusCapture::frontmostApplicationId()
{
    if (m_activeWindow) {
        const std::optional<X11ActiveWindow::Info> window = m_activeWindow->query();
        return window ? std::optional(window->applicationClass) : std::nullopt;
    }
    if (!atspi::ensureInitialised())
        return std::nullopt;
    if (AccessiblePtr application = findApplication(0)) {
        const QString applicationName = name(application.get());
        if (!applicationName.isEmpty())
            return applicationName;
    }
    return std::nullopt;
}

bool AtspiFocusCapture::focusedElementIsPassword()
{
    const std::shared_ptr<AtspiTextElement> focused = element();
    return focused && focused->isPasswordField();
}

} // namespace parlowind
