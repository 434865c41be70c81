#pragma once

#include "hotkeys/HotkeyRegistering.h"

#include <QObject>

#include <map>
#include <memory>

class QSocketNotifier;
using Display = struct _XDisplay;

namespace parlowind {

// Chords on X11: passive key grabs on the root window, one per lock-modifier
// combination (plain, CapsLock, NumLock, both) so the chord works whatever
// the lock keys say. AnyModifier is avoided: it fails as soon as a window
// manager binds the same key with any modifier. Detectable auto-repeat makes
// a held key one press and one release. Uses its own connection, read on the
// UI thread.
class X11HotkeyEngine final : public QObject, public HotkeyRegistering
{
    Q_OBJECT
public:
    // Connects to `displayName` (empty: $DISPLAY). Without a server every
    // registration fails with registrationFailed.
    explicit X11HotkeyEngine(const QByteArray &displayName = {}, QObject *parent = nullptr);
    ~X11HotkeyEngine() override;

    bool isConnected() const { return m_display != nullptr; }

    void setOnEvent(EventHandler handler) override { m_onEvent = std::move(handler); }
    void registerBinding(const HotkeyBinding &binding, HotkeyID id) override;
    void unregister(HotkeyID id) override;
    void unregisterAll() override;

    // Status of a registration that could not even be attempted (no server,
    // a key code X11 cannot express).
    static constexpr int noConnectionStatus = -1;

private:
    struct Grab
    {
        int keycode;
        unsigned int modifiers;
    };

    void processEvents();
    void ungrab(const Grab &grab);
    unsigned int lockVariants(int index) const;

    Display *m_display = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    EventHandler m_onEvent;
    std::map<HotkeyID, Grab> m_grabs;
    std::map<int, HotkeyID> m_down; // keycode held -> the id it pressed
    unsigned int m_numLockMask = 0;
};

} // namespace parlowind
