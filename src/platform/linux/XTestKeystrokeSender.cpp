#include "XTestKeystrokeSender.h"

#include "injection/InjectionError.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace parlowind {

struct XTestKeystrokeSender::Connection
{
    Display *display = nullptr;
};

XTestKeystrokeSender::XTestKeystrokeSender()
    : m_connection(std::make_unique<Connection>())
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(display);
        return;
    }
    m_connection->display = display;
}

XTestKeystrokeSender::~XTestKeystrokeSender()
{
    if (m_connection->display)
        XCloseDisplay(m_connection->display);
}

bool XTestKeystrokeSender::isAvailable() const
{
    return m_connection->display != nullptr;
}

void XTestKeystrokeSender::sendPaste(PasteShortcut shortcut)
{
    Display *display = m_connection->display;
    if (!display)
        throw InjectionError(InjectionError::Kind::eventPostingDenied);
    // The keymap may have changed since the last paste (another layout).
    XSync(display, False);
    const KeyCode v = XKeysymToKeycode(display, XK_v);
    const KeyCode control = XKeysymToKeycode(display, XK_Control_L);
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    const bool withShift = shortcut == PasteShortcut::ctrlShiftV;
    if (v == 0 || control == 0 || (withShift && shift == 0))
        throw InjectionError(InjectionError::Kind::axFailed, -2);

    XTestFakeKeyEvent(display, control, True, CurrentTime);
    if (withShift)
        XTestFakeKeyEvent(display, shift, True, CurrentTime);
    XTestFakeKeyEvent(display, v, True, CurrentTime);
    XTestFakeKeyEvent(display, v, False, CurrentTime);
    if (withShift)
        XTestFakeKeyEvent(display, shift, False, CurrentTime);
    XTestFakeKeyEvent(display, control, False, CurrentTime);
    XSync(display, False);
}

} // namespace parlowind
