// Chords, Escape and the lone-key watch against a real X server (Xvfb with a
// window manager), with keys typed through XTest by xdotool.
#include "X11HotkeyEngine.h"
#include "XInput2KeySource.h"
#include "hotkeys/FnHotkeyMonitor.h"
#include "hotkeys/HotkeyError.h"
#include "hotkeys/RoutingHotkeyRegistrar.h"

#include "Rigs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

using Mod = HotkeyBinding::Modifier;
using Events = std::vector<std::pair<HotkeyID, HotkeyPhase>>;
constexpr auto P = HotkeyPhase::pressed;
constexpr auto R = HotkeyPhase::released;

void xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

// Runs the event loop until `done` holds or the time is up (the X server is
// a real process; there is no clock to drive).
template<typename Predicate> bool processEventsUntil(Predicate done, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Lets the loop run for a while to show that nothing more arrives.
void settle(int ms = 300)
{
    processEventsUntil([] { return false; }, ms);
}

// Another X client, as a desktop or another application would be.
class OtherClient
{
public:
    OtherClient()
        : m_display(XOpenDisplay(nullptr))
    {
        XSetErrorHandler([](Display *, XErrorEvent *event) {
            s_lastError = event->error_code;
            return 0;
        });
    }
    ~OtherClient()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Display *display() const { return m_display; }

    // Grabs the key on the root window; returns the X error (0 for success).
    int grab(int linuxCode, unsigned int modifiers)
    {
        s_lastError = 0;
        XGrabKey(m_display, linuxCode + 8, modifiers, DefaultRootWindow(m_display), False, GrabModeAsync,
                 GrabModeAsync);
        XSync(m_display, False);
        const int error = s_lastError;
        XUngrabKey(m_display, linuxCode + 8, modifiers, DefaultRootWindow(m_display));
        XSync(m_display, False);
        return error;
    }

    // A mapped window with the input focus that records the key codes it gets.
    Window focusedWindow()
    {
        const Window window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 10, 10, 200, 100, 0, 0, 0);
        XSelectInput(m_display, window, KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask);
        XMapRaised(m_display, window);
        XSync(m_display, False);
        XEvent event;
        do
            XNextEvent(m_display, &event);
        while (event.type != MapNotify);
        for (int attempt = 0; attempt < 50; ++attempt) {
            XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
            XSync(m_display, False);
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(m_display, &focus, &revert);
            if (focus == window)
                break;
            QThread::msleep(20);
        }
        return window;
    }

    // (type, keycode) of the key events the window got for one key.
    std::vector<std::pair<int, int>> keyEvents(int keycode = 0)
    {
        std::vector<std::pair<int, int>> seen;
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if ((event.type == KeyPress || event.type == KeyRelease) && int(event.xkey.keycode) == keycode)
                seen.emplace_back(event.type, int(event.xkey.keycode));
        }
        return seen;
    }

private:
    static inline int s_lastError = 0;
    Display *m_display;
};

class X11KeysTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(test::hasX11(), "X server (Xvfb)");
        engine = std::make_unique<X11HotkeyEngine>();
        ASSERT_TRUE(engine->isConnected());
        engine->setOnEvent([this](HotkeyID id, HotkeyPhase phase) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            events.emplace_back(id, phase);
        });
    }

    std::unique_ptr<X11HotkeyEngine> engine;
    Events events;
};

TEST_F(X11KeysTest, ChordGivesOnePressThenOneRelease)
{
    engine->registerBinding(HotkeyBinding::chord(35, Mod::option | Mod::shift), HotkeyID::dictation); // Alt+Shift+H
    xdotool({ QStringLiteral("keydown"), QStringLiteral("alt+shift+h") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 1; }));
    // Modifiers let go first, as people do: the release still belongs to the chord.
    xdotool({ QStringLiteral("keyup"), QStringLiteral("alt+shift") });
    xdotool({ QStringLiteral("keyup"), QStringLiteral("h") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    settle();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));
}

TEST_F(X11KeysTest, ChordWorksWithCapsLockOnAndOtherModifiersDoNotMatch)
{
    engine->registerBinding(HotkeyBinding::chord(33, Mod::control | Mod::option), HotkeyID::dictation); // Ctrl+Alt+F
    xdotool({ QStringLiteral("key"), QStringLiteral("Caps_Lock") });
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+alt+f") });
    xdotool({ QStringLiteral("key"), QStringLiteral("Caps_Lock") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+alt+shift+f") }); // not the chord
    settle();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));
}

TEST_F(X11KeysTest, HeldChordAutoRepeatGivesNoExtraEvents)
{
    engine->registerBinding(HotkeyBinding::chord(57, Mod::option | Mod::shift), HotkeyID::dictation); // Alt+Shift+Space
    // Make auto-repeat quick so that holding for a second repeats many times.
    Display *display = XOpenDisplay(nullptr);
    unsigned int delay = 660;
    unsigned int interval = 40;
    XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval);
    XAutoRepeatOn(display);
    XkbSetAutoRepeatRate(display, XkbUseCoreKbd, 100, 20);
    XSync(display, False);
    xdotool({ QStringLiteral("keydown"), QStringLiteral("alt+shift+space") });
    settle(1200);
    xdotool({ QStringLiteral("keyup"), QStringLiteral("space") });
    xdotool({ QStringLiteral("keyup"), QStringLiteral("alt+shift") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    settle();
    XkbSetAutoRepeatRate(display, XkbUseCoreKbd, delay, interval);
    XCloseDisplay(display);
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));
}

TEST_F(X11KeysTest, KeyHeldByAnotherClientFailsWithRegistrationFailed)
{
    OtherClient other;
    ASSERT_NE(other.display(), nullptr);
    XGrabKey(other.display(), 34 + 8, ControlMask | Mod4Mask, DefaultRootWindow(other.display()), False, GrabModeAsync,
             GrabModeAsync); // Ctrl+Super+G
    XSync(other.display(), False);
    try {
        engine->registerBinding(HotkeyBinding::chord(34, Mod::control | Mod::command), HotkeyID::dictation);
        FAIL() << "expected registrationFailed";
    } catch (const HotkeyError &error) {
        EXPECT_EQ(error.kind(), HotkeyError::Kind::registrationFailed);
        EXPECT_EQ(error.status(), BadAccess);
    }
    // The failed attempt left none of its lock variants behind.
    XUngrabKey(other.display(), 34 + 8, ControlMask | Mod4Mask, DefaultRootWindow(other.display()));
    XSync(other.display(), False);
    EXPECT_EQ(other.grab(34, ControlMask | Mod4Mask | LockMask), 0);
    EXPECT_NO_THROW(
        engine->registerBinding(HotkeyBinding::chord(34, Mod::control | Mod::command), HotkeyID::dictation));
}

TEST_F(X11KeysTest, SameChordForTwoIdsIsRefusedAndTheFirstKeepsIt)
{
    engine->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel);
    EXPECT_THROW(engine->registerBinding(HotkeyBinding::cancel(), HotkeyID::dictation), HotkeyError);
    xdotool({ QStringLiteral("key"), QStringLiteral("Escape") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events, (Events { { HotkeyID::cancel, P }, { HotkeyID::cancel, R } }));
}

TEST_F(X11KeysTest, EscapeIsClaimedOnlyWhileRegistered)
{
    OtherClient other;
    EXPECT_EQ(other.grab(KeyCode::escape, 0), 0) << "Escape must be free before recording";

    engine->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel); // recording begins
    EXPECT_EQ(other.grab(KeyCode::escape, 0), BadAccess);
    xdotool({ QStringLiteral("key"), QStringLiteral("Escape") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events, (Events { { HotkeyID::cancel, P }, { HotkeyID::cancel, R } }));

    engine->unregister(HotkeyID::cancel); // recording ends
    EXPECT_EQ(other.grab(KeyCode::escape, 0), 0);
    EXPECT_EQ(other.grab(KeyCode::escape, LockMask), 0);
    xdotool({ QStringLiteral("key"), QStringLiteral("Escape") });
    settle();
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(X11KeysTest, RoutedChordAndLoneKeyTogether)
{
    FnHotkeyMonitor monitor(std::make_unique<XInput2KeySource>());
    RoutingHotkeyRegistrar registrar(*engine, monitor);
    Events routed;
    registrar.setOnEvent([&routed](HotkeyID id, HotkeyPhase phase) { routed.emplace_back(id, phase); });
    registrar.registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
    registrar.registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel);
    settle(100);

    // Each key on its own: the two mechanisms read separate connections.
    xdotool({ QStringLiteral("key"), QStringLiteral("Control_R") });
    ASSERT_TRUE(processEventsUntil([&] { return routed.size() >= 2; }));
    xdotool({ QStringLiteral("key"), QStringLiteral("Escape") });
    ASSERT_TRUE(processEventsUntil([&] { return routed.size() >= 4; }));
    settle();
    EXPECT_EQ(routed,
              (Events { { HotkeyID::dictation, P },
                        { HotkeyID::dictation, R },
                        { HotkeyID::cancel, P },
                        { HotkeyID::cancel, R } }));
}

class LoneKeyWatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(test::hasX11(), "X server (Xvfb)");
        ASSERT_TRUE(XInput2KeySource::isAvailable());
        monitor = std::make_unique<FnHotkeyMonitor>(std::make_unique<XInput2KeySource>());
        monitor->setOnEvent([this](HotkeyID id, HotkeyPhase phase) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            events.emplace_back(id, phase);
        });
    }

    std::unique_ptr<FnHotkeyMonitor> monitor;
    Events events;
};

TEST_F(LoneKeyWatchTest, SeesRightCtrlAloneWithoutTakingItFromTheFocusedWindow)
{
    OtherClient focused;
    focused.focusedWindow();
    focused.keyEvents(); // drop anything from before

    monitor->registerId(HotkeyID::dictation);
    settle(100);
    xdotool({ QStringLiteral("keydown"), QStringLiteral("Control_R") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 1; }));
    xdotool({ QStringLiteral("keyup"), QStringLiteral("Control_R") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    settle();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));

    const int rightCtrl = KeyCode::rightCtrl + 8;
    EXPECT_EQ(focused.keyEvents(rightCtrl),
              (std::vector<std::pair<int, int>> { { KeyPress, rightCtrl }, { KeyRelease, rightCtrl } }))
        << "the focused window must still get the key";
}

TEST_F(LoneKeyWatchTest, RightCtrlUsedInAChordIsReleasedAtTheOtherKey)
{
    monitor->registerId(HotkeyID::dictation);
    settle(100);
    xdotool({ QStringLiteral("keydown"), QStringLiteral("Control_R") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 1; }));
    xdotool({ QStringLiteral("key"), QStringLiteral("c") });
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    xdotool({ QStringLiteral("keyup"), QStringLiteral("Control_R") });
    settle();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));

    monitor->unregister(HotkeyID::dictation);
    EXPECT_FALSE(monitor->isRunning());
    xdotool({ QStringLiteral("key"), QStringLiteral("Control_R") });
    settle();
    EXPECT_EQ(events.size(), 2u);
}

TEST(LoneKeyWatchWithoutX, NoServerFailsWithEventTapUnavailable)
{
    FnHotkeyMonitor monitor(std::make_unique<XInput2KeySource>(QByteArrayLiteral(":4242")));
    try {
        monitor.registerId(HotkeyID::dictation);
        FAIL() << "expected eventTapUnavailable";
    } catch (const HotkeyError &error) {
        EXPECT_EQ(error.kind(), HotkeyError::Kind::eventTapUnavailable);
    }
}

} // namespace
} // namespace parlowind

#include "XkbOptions.h"
#include "hotkeys/FnKeySystemSetting.h"

#include <X11/Xatom.h>

namespace parlowind {
namespace {

// The server publishes its XKB rule names on the root window; the test
// publishes its own for a moment and puts the original back.
TEST(XkbOptionsTest, ReadsRightCtrlUseFromTheServer)
{
    PARLOWIND_REQUIRE_RIG(test::hasX11(), "X server (Xvfb)");
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window root = DefaultRootWindow(display);
    const Atom names = XInternAtom(display, "_XKB_RULES_NAMES", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *original = nullptr;
    XGetWindowProperty(display, root, names, 0, 1024, False, XA_STRING, &type, &format, &count, &remaining, &original);

    const char published[] = "evdev\0pc105\0us\0\0grp:alt_shift_toggle,compose:rctrl";
    XChangeProperty(display, root, names, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(published), int(sizeof published - 1));
    XSync(display, False);
    const auto options = XkbOptions::current();
    EXPECT_EQ(options, QStringLiteral("grp:alt_shift_toggle,compose:rctrl"));
    EXPECT_EQ(FnKeySystemSetting::fromXkbOptions(options), FnKeyUsage::composeKey);

    if (original && type == XA_STRING)
        XChangeProperty(display, root, names, XA_STRING, 8, PropModeReplace, original, int(count));
    else
        XDeleteProperty(display, root, names);
    XSync(display, False);
    if (original)
        XFree(original);
    XCloseDisplay(display);

    EXPECT_EQ(XkbOptions::current(QByteArrayLiteral(":4242")), std::nullopt);
}

} // namespace
} // namespace parlowind

#include "EnvironmentGuard.h"
#include "InputAccessProbe.h"
#include "KeyBackends.h"

namespace parlowind {
namespace {

TEST(KeyBackendsTest, X11SessionGetsGrabsAndTheRawKeyWatch)
{
    PARLOWIND_REQUIRE_RIG(test::hasX11(), "X server (Xvfb)");
    PlatformInfo x11;
    x11.session = SessionType::x11;
    x11.hasX11Display = true;
    KeyBackends backends = KeyBackends::create(x11);
    EXPECT_TRUE(backends.description.contains(QStringLiteral("X11 grabs"))) << backends.description.toStdString();
    RoutingHotkeyRegistrar registrar(*backends.chords, *backends.fn);
    EXPECT_NO_THROW(registrar.registerBinding(HotkeyBinding::fn(), HotkeyID::dictation));
    EXPECT_NO_THROW(registrar.registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel));
    registrar.unregisterAll();

    // An X11 session needs neither /dev/input nor /dev/uinput.
    EXPECT_EQ(InputAccessProbe::issue(), std::nullopt);
}

TEST(KeyBackendsTest, NoneRefusesEveryKey)
{
    test::EnvironmentGuard environment;
    environment.set("PARLOWIND_KEYS", "none");
    KeyBackends backends = KeyBackends::create(PlatformInfo {});
    RoutingHotkeyRegistrar registrar(*backends.chords, *backends.fn);
    try {
        registrar.registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
        FAIL() << "expected eventTapUnavailable";
    } catch (const HotkeyError &error) {
        EXPECT_EQ(error.kind(), HotkeyError::Kind::eventTapUnavailable);
    }
    EXPECT_THROW(registrar.registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel), HotkeyError);
}

} // namespace
} // namespace parlowind
