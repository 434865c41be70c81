#include "XInput2KeySource.h"

#include "X11ErrorTrap.h"
#include "hotkeys/HotkeyError.h"
#include "support/Log.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace parlowind {

namespace {
constexpr unsigned int x11KeycodeOffset = 8;

// Opens a connection and checks for XInput2 2.0; null when either fails.
Display *openWithXInput2(const QByteArray &displayName, int *opcode)
{
    Display *display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display)
        return nullptr;
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 0;
    if (!XQueryExtension(display, "XInputExtension", opcode, &event, &error)
        || XIQueryVersion(display, &major, &minor) != Success) {
        XCloseDisplay(display);
        return nullptr;
    }
    return display;
}
} // namespace

XInput2KeySource::XInput2KeySource(QByteArray displayName, QObject *parent)
    : QObject(parent)
    , m_displayName(std::move(displayName))
{ }

XInput2KeySource::~XInput2KeySource()
{
    stop();
}

bool XInput2KeySource::isAvailable(const QByteArray &displayName)
{
    int opcode = 0;
    Display *display = openWithXInput2(displayName, &opcode);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

void XInput2KeySource::start(Handler handler)
{
    stop();
    m_display = openWithXInput2(m_displayName, &m_opcode);
    if (!m_display)
        throw HotkeyError::eventTapUnavailable();

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask { XIAllMasterDevices, int(sizeof bits), bits };
    X11ErrorTrap trap(m_display);
    XISelectEvents(m_display, DefaultRootWindow(m_display), &mask, 1);
    if (const int status = trap.sync()) {
        log(QStringLiteral("XInput2KeySource: selecting raw key events failed (X error %1)").arg(status));
        XCloseDisplay(m_display);
        m_display = nullptr;
        throw HotkeyError::eventTapUnavailable();
    }
    m_handler = std::move(handler);
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &XInput2KeySource::processEvents);
    QMetaObject::invokeMethod(this, &XInput2KeySource::processEvents, Qt::QueuedConnection);
}

void XInput2KeySource::stop()
{
    m_notifier.reset();
    m_handler = nullptr;
    if (m_display) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
}

void XInput2KeySource::processEvents()
{
    while (m_display && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        XGenericEventCookie *cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != m_opcode || !XGetEventData(m_display, cookie))
            continue;
        std::optional<KeyEvent> key;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const auto *raw = static_cast<const XIRawEvent *>(cookie->data);
            if (raw->detail >= int(x11KeycodeOffset)) {
                KeyEvent::Action action = KeyEvent::Action::up;
                if (cookie->evtype == XI_RawKeyPress)
                    action = (raw->flags & XIKeyRepeat) ? KeyEvent::Action::repeat : KeyEvent::Action::down;
                key = KeyEvent { std::uint32_t(raw->detail) - x11KeycodeOffset, action };
            }
        }
        XFreeEventData(m_display, cookie);
        if (key && m_handler) {
            const auto handler = m_handler; // it may stop us
            handler(*key);
        }
    }
}

} // namespace parlowind
