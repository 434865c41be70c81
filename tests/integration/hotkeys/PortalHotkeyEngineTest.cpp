// The shortcuts-portal chord engine against a fake portal on the rig's
// private session bus.
#include "PortalHotkeyEngine.h"
#include "hotkeys/HotkeyError.h"

#include "Rigs.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

using Events = std::vector<std::pair<HotkeyID, HotkeyPhase>>;
constexpr auto P = HotkeyPhase::pressed;
constexpr auto R = HotkeyPhase::released;
const QString sessionPath = QStringLiteral("/org/freedesktop/portal/desktop/session/1/parlowind");

template<typename Predicate> bool processEventsUntil(Predicate done, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

// What a desktop's GlobalShortcuts portal does, answering each request
// through its Request object as the real one does. Handles raw messages, so
// it decodes exactly what the engine put on the bus.
class FakeShortcutsPortal final : public QDBusVirtualObject
{
    Q_OBJECT
public:
    explicit FakeShortcutsPortal(QDBusConnection bus)
        : m_bus(std::move(bus))
    { }

    QList<PortalShortcut> bound;
    uint bindResponse = 0; // 1: the user said no
    int sessions = 0;
    int bindCalls = 0;

    void send(const char *signalName, const QString &shortcut, const QString &session = sessionPath)
    {
        QDBusMessage signal = QDBusMessage::createSignal(
            PortalHotkeyEngine::portalPath, PortalHotkeyEngine::shortcutsInterface, QString::fromLatin1(signalName));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << shortcut << qulonglong(0) << QVariantMap();
        m_bus.send(signal);
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() != PortalHotkeyEngine::shortcutsInterface)
            return false;
        const QVariantList arguments = message.arguments();
        if (message.member() == QStringLiteral("CreateSession") && message.signature() == QStringLiteral("a{sv}")) {
            ++sessions;
            const auto options = qdbus_cast<QVariantMap>(arguments.at(0));
            connection.send(message.createReply(QVariant::fromValue(
                respond(message, options, 0, { { QStringLiteral("session_handle"), sessionPath } }))));
            return true;
        }
        if (message.member() == QStringLiteral("BindShortcuts")
            && message.signature() == QStringLiteral("oa(sa{sv})sa{sv}")) {
            ++bindCalls;
            const auto shortcuts = qdbus_cast<QList<PortalShortcut>>(arguments.at(1));
            const auto options = qdbus_cast<QVariantMap>(arguments.at(3));
            if (bindResponse == 0)
                bound = shortcuts;
            connection.send(message.createReply(QVariant::fromValue(respond(message, options, bindResponse, {}))));
            return true;
        }
        connection.send(message.createErrorReply(QDBusError::UnknownMethod, message.member()));
        return true;
    }

private:
    QDBusObjectPath respond(const QDBusMessage &message, const QVariantMap &options, uint code,
                            const QVariantMap &results)
    {
        QString sender = message.service().mid(1);
        sender.replace(u'.', u'_');
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender, options.value(QStringLiteral("handle_token")).toString());
        // The answer comes after the call returns, as a signal.
        QTimer::singleShot(10, this, [this, path, code, results] {
            QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                             QStringLiteral("Response"));
            signal << code << results;
            m_bus.send(signal);
        });
        return QDBusObjectPath(path);
    }

    QDBusConnection m_bus;
};

namespace {

class PortalHotkeyEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(test::hasSessionBus(), "D-Bus session bus");
        qDBusRegisterMetaType<PortalShortcut>();
        qDBusRegisterMetaType<QList<PortalShortcut>>();
        portalBus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-portal")));
        portal = std::make_unique<FakeShortcutsPortal>(*portalBus);
        ASSERT_TRUE(portalBus->registerVirtualObject(PortalHotkeyEngine::portalPath, portal.get()));
        ASSERT_TRUE(portalBus->registerService(PortalHotkeyEngine::portalService));

        // A connection of its own: the shared session connection holds back
        // incoming signals until an event loop is entered with exec(), which
        // a test never does.
        engineBus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal-client")));
        engine = std::make_unique<PortalHotkeyEngine>(*engineBus);
        engine->setOnEvent([this](HotkeyID id, HotkeyPhase phase) { events.emplace_back(id, phase); });
        engine->onBindingFailed = [this](HotkeyID id, const QString &) { failures.push_back(id); };
        QObject::connect(engine.get(), &PortalHotkeyEngine::bound, engine.get(), [this] { ++boundCount; });
    }
    void TearDown() override
    {
        engine.reset();
        engineBus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("portal-client"));
        if (portalBus) {
            portalBus->unregisterService(PortalHotkeyEngine::portalService);
            portalBus->unregisterObject(PortalHotkeyEngine::portalPath);
        }
        portal.reset();
        portalBus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    }

    // Lets signals already sent arrive.
    void settle()
    {
        processEventsUntil([] { return false; }, 200);
    }

    std::unique_ptr<QDBusConnection> portalBus;
    std::unique_ptr<QDBusConnection> engineBus;
    std::unique_ptr<FakeShortcutsPortal> portal;
    std::unique_ptr<PortalHotkeyEngine> engine;
    Events events;
    std::vector<HotkeyID> failures;
    int boundCount = 0;
};

TEST_F(PortalHotkeyEngineTest, HeldShortcutGivesOnePressAndOneRelease)
{
    engine->registerBinding(
        HotkeyBinding::chord(57, HotkeyBinding::Modifier::control | HotkeyBinding::Modifier::option),
        HotkeyID::dictation);
    ASSERT_TRUE(processEventsUntil([&] { return boundCount == 1; }));
    ASSERT_EQ(portal->bound.size(), 1);
    EXPECT_EQ(portal->bound.first().id, QStringLiteral("dictation"));
    EXPECT_EQ(portal->bound.first().options.value(QStringLiteral("preferred_trigger")).toString(),
              QStringLiteral("CTRL+ALT+space"));

    for (int i = 0; i < 4; ++i)
        portal->send("Activated", QStringLiteral("dictation")); // repeated while held
    portal->send("Deactivated", QStringLiteral("dictation"));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    settle();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));

    // Another session's shortcut of the same name is not ours.
    portal->send("Activated", QStringLiteral("dictation"),
                 QStringLiteral("/org/freedesktop/portal/desktop/session/9/x"));
    settle();
    EXPECT_EQ(events.size(), 2u);
    EXPECT_TRUE(failures.empty());
}

TEST_F(PortalHotkeyEngineTest, RefusedBindingIsReportedAndItsEventsIgnored)
{
    portal->bindResponse = 1;
    engine->registerBinding(HotkeyBinding::chord(57, HotkeyBinding::Modifier::option), HotkeyID::dictation);
    ASSERT_TRUE(processEventsUntil([&] { return !failures.empty(); }));
    EXPECT_EQ(failures, (std::vector<HotkeyID> { HotkeyID::dictation }));
    EXPECT_EQ(portal->bindCalls, 1); // asked, and the user said no
    EXPECT_EQ(boundCount, 0);
}

TEST_F(PortalHotkeyEngineTest, UnregisteredShortcutsAreIgnoredAndReRegisteringReusesTheSession)
{
    engine->registerBinding(HotkeyBinding::chord(57, HotkeyBinding::Modifier::option), HotkeyID::dictation);
    ASSERT_TRUE(processEventsUntil([&] { return boundCount == 1; }));
    portal->send("Activated", QStringLiteral("dictation"));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() == 1; }));
    engine->unregister(HotkeyID::dictation);
    portal->send("Deactivated", QStringLiteral("dictation"));
    portal->send("Activated", QStringLiteral("dictation"));
    settle();
    EXPECT_EQ(events.size(), 1u);

    engine->registerBinding(HotkeyBinding::chord(57, HotkeyBinding::Modifier::option), HotkeyID::dictation);
    ASSERT_TRUE(processEventsUntil([&] { return boundCount == 2; }));
    EXPECT_EQ(portal->sessions, 1);
    portal->send("Activated", QStringLiteral("dictation"));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events.back(), std::make_pair(HotkeyID::dictation, P));
}

TEST_F(PortalHotkeyEngineTest, OnlyTheDictationKeyIsOffered)
{
    try {
        engine->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel);
        FAIL() << "expected registrationFailed";
    } catch (const HotkeyError &error) {
        EXPECT_EQ(error, HotkeyError::registrationFailed(PortalHotkeyEngine::notOfferedStatus));
    }
    EXPECT_THROW(engine->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation), HotkeyError);
    engine->registerBinding(HotkeyBinding::chord(57, HotkeyBinding::Modifier::option), HotkeyID::dictation);
    EXPECT_THROW(
        engine->registerBinding(HotkeyBinding::chord(30, HotkeyBinding::Modifier::option), HotkeyID::dictation),
        HotkeyError);
}

TEST(PortalTriggerTest, PreferredTriggerUsesPortalNames)
{
    using Mod = HotkeyBinding::Modifier;
    EXPECT_EQ(PortalHotkeyEngine::preferredTrigger(HotkeyBinding::chord(19, Mod::command | Mod::shift)),
              QStringLiteral("SHIFT+LOGO+r"));
    EXPECT_EQ(PortalHotkeyEngine::preferredTrigger(HotkeyBinding::chord(28, Mod::control)),
              QStringLiteral("CTRL+Return"));
    EXPECT_EQ(PortalHotkeyEngine::preferredTrigger(HotkeyBinding::chord(99, Mod::control)), QString());
    EXPECT_EQ(PortalHotkeyEngine::preferredTrigger(HotkeyBinding::fn()), QString());
}

} // namespace
} // namespace parlowind

#include "PortalHotkeyEngineTest.moc"
