#pragma once

#include "injection/PasteboardWriting.h"

#include <memory>

namespace parlowind {

// The X11 CLIPBOARD selection. Content goes through QClipboard, which keeps
// answering other clients' requests from the Qt event loop for as long as we
// own the selection; so whoever waits for a target to read it must keep the
// event loop running (PasteInjector does). The change counter is separate:
// every owner change XFixes reports, read synchronously on a connection of
// our own, so it is exact at any moment, independently of when Qt gets to
// its own events. Needs a QGuiApplication on the xcb platform.
class X11Clipboard final : public PasteboardWriting
{
public:
    X11Clipboard();
    ~X11Clipboard() override;
    X11Clipboard(const X11Clipboard &) = delete;
    X11Clipboard &operator=(const X11Clipboard &) = delete;

    // An X display with XFixes and a Qt clipboard are there.
    bool isAvailable() const;

    qint64 changeCount() const override;
    QList<PasteboardItem> snapshot() override;
    qint64 write(const QString &text) override;
    void restore(const QList<PasteboardItem> &items) override;

private:
    struct Watcher;
    std::unique_ptr<Watcher> m_watcher;
};

} // namespace parlowind
