#include "X11Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace parlowind {

struct X11Clipboard::Watcher
{
    Display *display = nullptr;
    int eventBase = 0;
    qint64 changes = 0;

    // Counts the owner changes the server has reported so far. XSync makes
    // sure a change made just before (by Qt's own connection, which waits
    // for the server when it takes the selection) has arrived.
    qint64 count()
    {
        if (!display)
            return changes;
        XSync(display, False);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == eventBase + XFixesSelectionNotify)
                ++changes;
        }
        return changes;
    }
};

namespace {

QClipboard *clipboard()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

} // namespace

X11Clipboard::X11Clipboard()
    : m_watcher(std::make_unique<Watcher>())
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return;
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &m_watcher->eventBase, &errorBase)) {
        XCloseDisplay(display);
        return;
    }
    m_watcher->display = display;
    XFixesSelectSelectionInput(display, DefaultRootWindow(display), XInternAtom(display, "CLIPBOARD", False),
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                   | XFixesSelectionClientCloseNotifyMask);
    XSync(display, False);
}

X11Clipboard::~X11Clipboard()
{
    if (m_watcher->display)
        XCloseDisplay(m_watcher->display);
}

bool X11Clipboard::isAvailable() const
{
    return m_watcher->display != nullptr && clipboard() != nullptr;
}

qint64 X11Clipboard::changeCount() const
{
    return m_watcher->count();
}

QList<PasteboardItem> X11Clipboard::snapshot()
{
    QClipboard *board = clipboard();
    const QMimeData *data = board ? board->mimeData(QClipboard::Clipboard) : nullptr;
    if (!data)
        return {};
    PasteboardItem item;
    for (const QString &format : data->formats()) {
        const QByteArray bytes = data->data(format);
        if (!bytes.isEmpty())
            item.insert(format, bytes);
    }
    // X11 has one item per selection.
    if (item.isEmpty())
        return {};
    return { item };
}

qint64 X11Clipboard::write(const QString &text)
{
    if (QClipboard *board = clipboard())
        board->setText(text, QClipboard::Clipboard);
    return m_watcher->count();
}

void X11Clipboard::restore(const QList<PasteboardItem> &items)
{
    QClipboard *board = clipboard();
    if (!board)
        return;
    if (items.isEmpty()) {
        board->clear(QClipboard::Clipboard);
        return;
    }
    // A selection holds one item: the first one stands for the content.
    auto *data = new QMimeData;
    for (auto it = items.first().cbegin(); it != items.first().cend(); ++it)
        data->setData(it.key(), it.value());
    board->setMimeData(data, QClipboard::Clipboard);
}

} // namespace parlowind
