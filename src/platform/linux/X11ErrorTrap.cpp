#include "X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace parlowind {

namespace {
// Traps nest; all run on the UI thread.
thread_local X11ErrorTrap *innermost = nullptr;
using Handler = int (*)(Display *, XErrorEvent *);
} // namespace

int trapHandler(Display *display, void *eventPointer)
{
    auto *event = static_cast<XErrorEvent *>(eventPointer);
    for (X11ErrorTrap *trap = innermost; trap; trap = trap->m_outer) {
        if (trap->m_display == display) {
            if (trap->m_error == 0)
                trap->m_error = event->error_code;
            return 0;
        }
    }
    // Not ours: the handler that was there before decides.
    X11ErrorTrap *outermost = innermost;
    while (outermost && outermost->m_outer)
        outermost = outermost->m_outer;
    if (outermost && outermost->m_previous)
        return outermost->m_previous(display, eventPointer);
    return 0;
}

namespace {
int xlibHandler(Display *display, XErrorEvent *event)
{
    return trapHandler(display, event);
}
} // namespace

X11ErrorTrap::X11ErrorTrap(Display *display)
    : m_display(display)
    , m_outer(innermost)
{
    const Handler previous = XSetErrorHandler(xlibHandler);
    m_previous = reinterpret_cast<int (*)(Display *, void *)>(previous);
    innermost = this;
}

X11ErrorTrap::~X11ErrorTrap()
{
    innermost = m_outer;
    XSetErrorHandler(reinterpret_cast<Handler>(m_previous));
}

int X11ErrorTrap::sync()
{
    if (m_display)
        XSync(m_display, False);
    return m_error;
}

} // namespace parlowind
