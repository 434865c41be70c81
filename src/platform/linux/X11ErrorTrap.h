#pragma once

using Display = struct _XDisplay;

namespace parlowind {

// Catches the X errors of one connection for as long as it lives, instead of
// Xlib's default handler, which exits the process. Errors of other
// connections go to the handler that was installed before.
class X11ErrorTrap final
{
public:
    explicit X11ErrorTrap(Display *display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap &) = delete;
    X11ErrorTrap &operator=(const X11ErrorTrap &) = delete;

    // Waits for the server to process every request sent so far, then
    // returns the first error code seen (0 for none).
    int sync();

private:
    Display *m_display;
    X11ErrorTrap *m_outer;
    int (*m_previous)(Display *, void *) = nullptr;
    int m_error = 0;
    friend int trapHandler(Display *, void *);
};

} // namespace parlowind
