#include "hotkeys/RoutingHotkeyRegistrar.h"
#include "hotkeys/HotkeyError.h"

#include "FakeKeySource.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace parlowind {
namespace {

// A chord engine that records its calls and fails when told to.
class FakeChordEngine final : public HotkeyRegistering
{
public:
    void setOnEvent(EventHandler handler) override { onEvent = std::move(handler); }
    void registerBinding(const HotkeyBinding &binding, HotkeyID id) override
    {
        if (failWith)
            throw *failWith;
        if (registered.contains(id))
            throw HotkeyError::alreadyRegistered(id);
        registered.insert_or_assign(id, binding);
    }
    void unregister(HotkeyID id) override { registered.erase(id); }
    void unregisterAll() override
    {
        registered.clear();
        ++unregisterAllCalls;
    }

    EventHandler onEvent;
    std::map<HotkeyID, HotkeyBinding> registered;
    std::optional<HotkeyError> failWith;
    int unregisterAllCalls = 0;
};

struct RegistrarFixture : ::testing::Test
{
    RegistrarFixture()
    {
        auto owned = std::make_unique<FakeKeySource>();
        source = owned.get();
        monitor = std::make_unique<FnHotkeyMonitor>(std::move(owned));
        registrar = std::make_unique<RoutingHotkeyRegistrar>(chords, *monitor);
        registrar->setOnEvent([this](HotkeyID id, HotkeyPhase phase) { events.emplace_back(id, phase); });
    }

    FakeChordEngine chords;
    FakeKeySource *source = nullptr;
    std::unique_ptr<FnHotkeyMonitor> monitor;
    std::unique_ptr<RoutingHotkeyRegistrar> registrar;
    Events events;
};

TEST_F(RegistrarFixture, SecondRegistrationOfAnIdFailsAndKeepsTheFirst)
{
    registrar->registerBinding(HotkeyBinding::chord(57, HotkeyBinding::Modifier::option), HotkeyID::dictation);
    try {
        registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
        FAIL() << "expected alreadyRegistered";
    } catch (const HotkeyError &error) {
        EXPECT_EQ(error, HotkeyError::alreadyRegistered(HotkeyID::dictation));
    }
    EXPECT_EQ(chords.registered.at(HotkeyID::dictation), HotkeyBinding::chord(57, HotkeyBinding::Modifier::option));
    EXPECT_FALSE(monitor->isRunning());
    chords.onEvent(HotkeyID::dictation, HotkeyPhase::pressed);
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, HotkeyPhase::pressed } }));
}

TEST_F(RegistrarFixture, FnAndEscapeTogetherThenUnregisteredOneByOne)
{
    registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
    registrar->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel);
    EXPECT_TRUE(monitor->isRunning());
    EXPECT_EQ(chords.registered.count(HotkeyID::cancel), 1u);
    EXPECT_EQ(chords.registered.count(HotkeyID::dictation), 0u);

    registrar->unregister(HotkeyID::cancel);
    EXPECT_TRUE(monitor->isRunning());
    EXPECT_TRUE(chords.registered.empty());

    registrar->unregister(HotkeyID::dictation);
    EXPECT_FALSE(monitor->isRunning());
    EXPECT_EQ(source->stops, 1);
    registrar->unregister(HotkeyID::dictation); // not registered: nothing
    EXPECT_EQ(source->stops, 1);
}

TEST_F(RegistrarFixture, FailuresLeaveNoRoute)
{
    chords.failWith = HotkeyError::registrationFailed(10);
    EXPECT_THROW(registrar->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel), HotkeyError);
    EXPECT_FALSE(registrar->isRegistered(HotkeyID::cancel));
    chords.failWith.reset();
    EXPECT_NO_THROW(registrar->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel));

    source->available = false;
    try {
        registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
        FAIL() << "expected eventTapUnavailable";
    } catch (const HotkeyError &error) {
        EXPECT_EQ(error.kind(), HotkeyError::Kind::eventTapUnavailable);
    }
    EXPECT_FALSE(registrar->isRegistered(HotkeyID::dictation));
    EXPECT_TRUE(monitor->ids().empty());
    source->available = true;
    EXPECT_NO_THROW(registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation));
}

TEST_F(RegistrarFixture, IdAlreadyWatchedByTheMonitorIsRefused)
{
    monitor->registerId(HotkeyID::dictation);
    EXPECT_THROW(registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation), HotkeyError);
    EXPECT_FALSE(registrar->isRegistered(HotkeyID::dictation));
}

TEST_F(RegistrarFixture, LoneKeyPhasesReachTheCurrentHandler)
{
    registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
    source->send(KeyCode::rightCtrl, KeyEvent::Action::down);
    source->send(KeyCode::rightCtrl, KeyEvent::Action::up);
    EXPECT_EQ(
        events,
        (Events { { HotkeyID::dictation, HotkeyPhase::pressed }, { HotkeyID::dictation, HotkeyPhase::released } }));

    Events later;
    registrar->setOnEvent([&later](HotkeyID id, HotkeyPhase phase) { later.emplace_back(id, phase); });
    source->send(KeyCode::rightCtrl, KeyEvent::Action::down);
    EXPECT_EQ(later.size(), 1u);
    EXPECT_EQ(events.size(), 2u);

    registrar->setOnEvent(nullptr);
    source->send(KeyCode::rightCtrl, KeyEvent::Action::up); // nobody listening: nothing happens
    EXPECT_EQ(later.size(), 1u);
}

TEST_F(RegistrarFixture, ForwardersDoNothingOnceTheRegistrarIsGone)
{
    registrar->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel);
    registrar.reset();
    ASSERT_TRUE(chords.onEvent);
    chords.onEvent(HotkeyID::cancel, HotkeyPhase::pressed);
    EXPECT_TRUE(events.empty());
}

TEST_F(RegistrarFixture, UnregisterAllReleasesEverything)
{
    registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
    registrar->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel);
    registrar->unregisterAll();
    EXPECT_FALSE(monitor->isRunning());
    EXPECT_TRUE(monitor->ids().empty());
    EXPECT_EQ(chords.unregisterAllCalls, 1);
    EXPECT_NO_THROW(registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation));
}

TEST_F(RegistrarFixture, ExternalPhasesOnlyForRegisteredIds)
{
    EXPECT_FALSE(registrar->deliver(HotkeyID::dictation, HotkeyPhase::pressed));
    EXPECT_TRUE(events.empty());
    registrar->registerBinding(HotkeyBinding::fn(), HotkeyID::dictation);
    EXPECT_TRUE(registrar->deliver(HotkeyID::dictation, HotkeyPhase::pressed));
    EXPECT_FALSE(registrar->deliver(HotkeyID::cancel, HotkeyPhase::pressed));
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, HotkeyPhase::pressed } }));
}

} // namespace
} // namespace parlowind
