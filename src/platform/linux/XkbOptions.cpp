#include "XkbOptions.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <QList>

namespace parlowind::XkbOptions {

std::optional<QString> current(const QByteArray &displayName)
{
    Display *display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!display)
        return std::nullopt;
    std::optional<QString> options;
    const Atom names = XInternAtom(display, "_XKB_RULES_NAMES", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    if (names != None
        && XGetWindowProperty(display, DefaultRootWindow(display), names, 0, 1024, False, XA_STRING, &type, &format,
                              &count, &remaining, &data)
            == Success
        && type == XA_STRING && format == 8 && data) {
        // Rules, model, layout, variant, options: NUL-separated.
        const QList<QByteArray> fields = QByteArray(reinterpret_cast<const char *>(data), qsizetype(count)).split('\0');
        options = fields.size() > 4 ? QString::fromLatin1(fields.at(4)) : QString();
    }
    if (data)
        XFree(data);
    XCloseDisplay(display);
    return options;
}

} // namespace parlowind::XkbOptions
