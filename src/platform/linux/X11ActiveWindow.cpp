#include "X11ActiveWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace parlowind {

struct X11ActiveWindow::Connection
{
    Display *display = nullptr;
    Atom activeWindow = 0;
    Atom wmPid = 0;
    Atom wmName = 0;
    Atom utf8String = 0;
};

namespace {

// One property of `window` as raw bytes, or nothing.
std::optional<QByteArray> readProperty(Display *display, Window window, Atom property, Atom type, int format)
{
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1 << 16, False, type, &actualType, &actualFormat, &items,
                           &remaining, &data)
            != Success
        || !data)
        return std::nullopt;
    std::optional<QByteArray> result;
    if (actualType == type && actualFormat == format) {
        // Xlib hands out 32-bit items as longs.
        const std::size_t itemSize = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
        result = QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(items * itemSize));
    }
    XFree(data);
    return result;
}

std::optional<unsigned long> readCardinal(Display *display, Window window, Atom property, Atom type)
{
    const std::optional<QByteArray> bytes = readProperty(display, window, property, type, 32);
    if (!bytes || bytes->size() < static_cast<qsizetype>(sizeof(long)))
        return std::nullopt;
    return *reinterpret_cast<const unsigned long *>(bytes->constData());
}

int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

X11ActiveWindow::X11ActiveWindow()
    : m_connection(std::make_unique<Connection>())
{
    m_connection->display = XOpenDisplay(nullptr);
    if (!m_connection->display)
        return;
    m_connection->activeWindow = XInternAtom(m_connection->display, "_NET_ACTIVE_WINDOW", False);
    m_connection->wmPid = XInternAtom(m_connection->display, "_NET_WM_PID", False);
    m_connection->wmName = XInternAtom(m_connection->display, "_NET_WM_NAME", False);
    m_connection->utf8String = XInternAtom(m_connection->display, "UTF8_STRING", False);
}

X11ActiveWindow::~X11ActiveWindow()
{
    if (m_connection->display)
        XCloseDisplay(m_connection->display);
}

bool X11ActiveWindow::isAvailable() const
{
    return m_connection->display != nullptr;
}

std::optional<X11ActiveWindow::Info> X11ActiveWindow::query()
{
    Display *display = m_connection->display;
    if (!display)
        return std::nullopt;
    // The active window may be destroyed while we read it: its BadWindow
    // errors must not reach Xlib's default handler, which exits.
    XSync(display, False);
    const auto previousHandler = XSetErrorHandler(ignoreErrors);
    std::optional<Info> info;
    const std::optional<unsigned long> active
        = readCardinal(display, DefaultRootWindow(display), m_connection->activeWindow, XA_WINDOW);
    if (active && *active != 0) {
        const Window window = static_cast<Window>(*active);
        XClassHint hint { nullptr, nullptr };
        if (XGetClassHint(display, window, &hint)) {
            info = Info {};
            info->instanceName = QString::fromLocal8Bit(hint.res_name ? hint.res_name : "");
            info->applicationClass = QString::fromLocal8Bit(hint.res_class ? hint.res_class : "");
            if (hint.res_name)
                XFree(hint.res_name);
            if (hint.res_class)
                XFree(hint.res_class);
            if (const auto pid = readCardinal(display, window, m_connection->wmPid, XA_CARDINAL))
                info->processId = static_cast<int>(*pid);
            if (const auto title = readProperty(display, window, m_connection->wmName, m_connection->utf8String, 8))
                info->title = QString::fromUtf8(*title);
        }
    }
    XSync(display, False);
    XSetErrorHandler(previousHandler);
    if (info && info->applicationClass.isEmpty())
        return std::nullopt;
    return info;
}

} // namespace parlowind
