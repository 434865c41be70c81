#include "X11HotkeyEngine.h"

#include "X11ErrorTrap.h"
#include "hotkeys/HotkeyError.h"
#include "support/Log.h"

#include <QSocketNotifier>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace parlowind {

namespace {
// X11 key codes are Linux input event codes shifted by 8.
constexpr int x11KeycodeOffset = 8;
constexpr unsigned int chordMask = ControlMask | Mod1Mask | ShiftMask | Mod4Mask;

unsigned int x11Modifiers(HotkeyBinding::Modifiers modifiers)
{
    unsigned int mask = 0;
    if (modifiers & HotkeyBinding::Modifier::control)
        mask |= ControlMask;
    if (modifiers & HotkeyBinding::Modifier::option)
        mask |= Mod1Mask;
    if (modifiers & HotkeyBinding::Modifier::shift)
        mask |= ShiftMask;
    if (modifiers & HotkeyBinding::Modifier::command)
        mask |= Mod4Mask;
    return mask;
}

unsigned int findNumLockMask(Display *display)
{
    const ::KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap *map = XGetModifierMapping(display);
    unsigned int mask = 0;
    if (map && numLock != 0) {
        for (int modifier = 0; modifier < 8 && !mask; ++modifier)
            for (int k = 0; k < map->max_keypermod; ++k)
                if (map->modifiermap[modifier * map->max_keypermod + k] == numLock)
                    mask = 1u << modifier;
    }
    if (map)
        XFreeModifiermap(map);
    return mask ? mask : Mod2Mask;
}
} // namespace

X11HotkeyEngine::X11HotkeyEngine(const QByteArray &displayName, QObject *parent)
    : QObject(parent)
{
    m_display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!m_display) {
        log(QStringLiteral("WARNING: X11HotkeyEngine: no X server; chords cannot be registered"));
        return;
    }
    Bool supported = False;
    XkbSetDetectableAutoRepeat(m_display, True, &supported);
    if (!supported)
        log(QStringLiteral("WARNING: X11HotkeyEngine: the X server cannot suppress auto-repeat releases"));
    m_numLockMask = findNumLockMask(m_display);
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_display), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &X11HotkeyEngine::processEvents);
}

X11HotkeyEngine::~X11HotkeyEngine()
{
    if (!m_display)
        return;
    m_notifier.reset();
    {
        X11ErrorTrap trap(m_display);
        for (const auto &[id, grab] : m_grabs)
            ungrab(grab);
        trap.sync();
    }
    XCloseDisplay(m_display);
}

unsigned int X11HotkeyEngine::lockVariants(int index) const
{
    const unsigned int variants[] = { 0, LockMask, m_numLockMask, LockMask | m_numLockMask };
    return variants[index];
}

void X11HotkeyEngine::registerBinding(const HotkeyBinding &binding, HotkeyID id)
{
    if (m_grabs.contains(id))
        throw HotkeyError::alreadyRegistered(id);
    if (binding.isFn())
        throw HotkeyError::requiresEventTap();
    if (!m_display)
        throw HotkeyError::registrationFailed(noConnectionStatus);
    const std::uint32_t code = *binding.keyCode();
    if (code > 255 - x11KeycodeOffset)
        throw HotkeyError::registrationFailed(noConnectionStatus);

    const Grab grab { int(code) + x11KeycodeOffset, x11Modifiers(*binding.modifiers()) };
    // X11 would let us grab it twice, and ungrabbing either would then free
    // both: refuse, as the desktop would refuse another client.
    for (const auto &[other, held] : m_grabs)
        if (held.keycode == grab.keycode && held.modifiers == grab.modifiers)
            throw HotkeyError::registrationFailed(BadAccess);
    const Window root = DefaultRootWindow(m_display);
    X11ErrorTrap trap(m_display);
    for (int i = 0; i < 4; ++i)
        XGrabKey(m_display, grab.keycode, grab.modifiers | lockVariants(i), root, False, GrabModeAsync, GrabModeAsync);
    if (const int status = trap.sync()) {
        // Part of the variants may have succeeded: leave none behind.
        ungrab(grab);
        trap.sync();
        log(QStringLiteral("X11HotkeyEngine: %1 is taken by another client (X error %2)")
                .arg(binding.displayString())
                .arg(status));
        throw HotkeyError::registrationFailed(status);
    }
    m_grabs.insert_or_assign(id, grab);
    // Events may already sit in Xlib's queue, where the socket notifier
    // cannot see them.
    QMetaObject::invokeMethod(this, &X11HotkeyEngine::processEvents, Qt::QueuedConnection);
}

void X11HotkeyEngine::ungrab(const Grab &grab)
{
    const Window root = DefaultRootWindow(m_display);
    for (int i = 0; i < 4; ++i)
        XUngrabKey(m_display, grab.keycode, grab.modifiers | lockVariants(i), root);
}

void X11HotkeyEngine::unregister(HotkeyID id)
{
    const auto found = m_grabs.find(id);
    if (found == m_grabs.end())
        return;
    const Grab grab = found->second;
    m_grabs.erase(found);
    // A key still held has had its press; its release no longer concerns anyone.
    std::erase_if(m_down, [id](const auto &entry) { return entry.second == id; });
    X11ErrorTrap trap(m_display);
    ungrab(grab);
    trap.sync();
}

void X11HotkeyEngine::unregisterAll()
{
    while (!m_grabs.empty())
        unregister(m_grabs.begin()->first);
}

void X11HotkeyEngine::processEvents()
{
    if (!m_display)
        return;
    X11ErrorTrap trap(m_display);
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type != KeyPress && event.type != KeyRelease)
            continue;
        const int keycode = int(event.xkey.keycode);
        std::optional<std::pair<HotkeyID, HotkeyPhase>> report;
        if (event.type == KeyPress) {
            if (m_down.contains(keycode))
                continue; // auto-repeat
            const unsigned int modifiers = event.xkey.state & chordMask;
            for (const auto &[id, grab] : m_grabs) {
                if (grab.keycode == keycode && grab.modifiers == modifiers) {
                    m_down.emplace(keycode, id);
                    report = { id, HotkeyPhase::pressed };
                    break;
                }
            }
        } else {
            // Modifiers may have been let go first: match the key alone.
            const auto held = m_down.find(keycode);
            if (held == m_down.end())
                continue;
            report = { held->second, HotkeyPhase::released };
            m_down.erase(held);
        }
        if (report && m_onEvent) {
            const auto handler = m_onEvent; // it may replace itself
            handler(report->first, report->second);
        }
    }
}

} // namespace parlowind
