#pragma once

#include "hotkeys/LoneKeySource.h"

#include <QByteArray>
#include <QObject>

#include <memory>

class QSocketNotifier;
using Display = struct _XDisplay;

namespace parlowind {

// The lone-key watch on X11: XInput2 raw key events on the root window. Raw
// events reach every client that asks, whoever has the focus, and asking
// takes nothing away from the focused window.
class XInput2KeySource final : public QObject, public LoneKeySource
{
    Q_OBJECT
public:
    explicit XInput2KeySource(QByteArray displayName = {}, QObject *parent = nullptr);
    ~XInput2KeySource() override;

    // Whether an X server with XInput2 answers on the display.
    static bool isAvailable(const QByteArray &displayName = {});

    void start(Handler handler) override;
    void stop() override;
    const char *name() const override { return "XInput2"; }

private:
    void processEvents();

    QByteArray m_displayName;
    Display *m_display = nullptr;
    int m_opcode = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    Handler m_handler;
};

} // namespace parlowind
