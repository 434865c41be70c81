#include "hotkeys/FnHotkeyMonitor.h"

#include "FakeKeySource.h"

#include <gtest/gtest.h>

namespace parlowind {
namespace {

using A = KeyEvent::Action;
constexpr std::uint32_t leftShift = 42;
constexpr std::uint32_t keyC = 46;
constexpr std::uint32_t leftCtrl = 29;

TEST(FnPressTrackerTest, ReportsOnlyChangesOfTheDownState)
{
    FnPressTracker tracker;
    EXPECT_EQ(tracker.update(false), std::nullopt);
    EXPECT_EQ(tracker.update(true), HotkeyPhase::pressed);
    EXPECT_EQ(tracker.update(true), std::nullopt);
    EXPECT_EQ(tracker.update(false), HotkeyPhase::released);
    EXPECT_EQ(tracker.update(false), std::nullopt);
    tracker.update(true);
    tracker.reset();
    EXPECT_EQ(tracker.update(false), std::nullopt); // a reset press has no release
}

// A phase and the index of the key event that produced it: when the release
// comes matters as much as that it comes.
using Timed = std::pair<std::size_t, HotkeyPhase>;

struct StreamCase
{
    const char *name;
    std::vector<KeyEvent> keys;
    std::vector<Timed> phases;
};

void PrintTo(const StreamCase &streamCase, std::ostream *out)
{
    *out << streamCase.name;
}

class LoneKeyStreamTest : public ::testing::TestWithParam<StreamCase>
{
};

TEST_P(LoneKeyStreamTest, GivesPhasesForTheLoneKey)
{
    auto owned = std::make_unique<FakeKeySource>();
    FakeKeySource *source = owned.get();
    FnHotkeyMonitor monitor(std::move(owned));
    std::vector<Timed> phases;
    std::size_t index = 0;
    monitor.setOnEvent([&](HotkeyID id, HotkeyPhase phase) {
        EXPECT_EQ(id, HotkeyID::dictation);
        phases.emplace_back(index, phase);
    });
    monitor.registerId(HotkeyID::dictation);
    for (; index < GetParam().keys.size(); ++index)
        source->handler(GetParam().keys[index]);
    EXPECT_EQ(phases, GetParam().phases);
}

constexpr auto P = HotkeyPhase::pressed;
constexpr auto R = HotkeyPhase::released;
constexpr std::uint32_t rctrl = KeyCode::rightCtrl;

INSTANTIATE_TEST_SUITE_P(
    Streams, LoneKeyStreamTest,
    ::testing::Values(
        StreamCase { "pressAndRelease", { { rctrl, A::down }, { rctrl, A::up } }, { { 0, P }, { 1, R } } },
        StreamCase {
            "autoRepeatIgnored",
            { { rctrl, A::down }, { rctrl, A::repeat }, { rctrl, A::repeat }, { rctrl, A::down }, { rctrl, A::up } },
            { { 0, P }, { 4, R } } },
        StreamCase { "fnKeyWorksToo", { { KeyCode::fn, A::down }, { KeyCode::fn, A::up } }, { { 0, P }, { 1, R } } },
        StreamCase {
            "otherKeysAlone", { { leftCtrl, A::down }, { leftCtrl, A::up }, { keyC, A::down }, { keyC, A::up } }, {} },
        StreamCase { "shiftHeldBeforeStillPresses",
                     { { leftShift, A::down }, { rctrl, A::down }, { leftShift, A::up }, { rctrl, A::up } },
                     { { 1, P }, { 3, R } } },
        // Right Ctrl+C: the press already reported is released when C goes
        // down, and the real release of Right Ctrl adds nothing.
        StreamCase { "usedInChordReleasesAtOnce",
                     { { rctrl, A::down }, { keyC, A::down }, { keyC, A::up }, { rctrl, A::up } },
                     { { 0, P }, { 1, R } } },
        StreamCase { "chordKeyHeldThenLoneAgain",
                     { { rctrl, A::down },
                       { keyC, A::down },
                       { keyC, A::repeat },
                       { rctrl, A::up },
                       { keyC, A::up },
                       { rctrl, A::down },
                       { rctrl, A::up } },
                     { { 0, P }, { 1, R }, { 5, P }, { 6, R } } },
        StreamCase { "repeatOfKeyHeldBeforeCountsAsChord",
                     { { keyC, A::down }, { rctrl, A::down }, { keyC, A::repeat }, { rctrl, A::up } },
                     { { 1, P }, { 2, R } } },
        StreamCase { "fnWhileRightCtrlHeldIsAChord",
                     { { rctrl, A::down }, { KeyCode::fn, A::down }, { KeyCode::fn, A::up }, { rctrl, A::up } },
                     { { 0, P }, { 1, R } } },
        StreamCase {
            "lostTrackReleases", { { rctrl, A::down }, { 0, A::reset }, { rctrl, A::up } }, { { 0, P }, { 1, R } } },
        StreamCase { "releaseWithoutPress", { { rctrl, A::up } }, {} }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FnHotkeyMonitorTest, ReportsToEveryIdAndStopsWithTheLast)
{
    auto owned = std::make_unique<FakeKeySource>();
    FakeKeySource *source = owned.get();
    FnHotkeyMonitor monitor(std::move(owned));
    Events events;
    monitor.setOnEvent([&events](HotkeyID id, HotkeyPhase phase) { events.emplace_back(id, phase); });

    EXPECT_FALSE(monitor.isRunning());
    monitor.registerId(HotkeyID::dictation);
    monitor.registerId(HotkeyID::commandMode);
    EXPECT_THROW(monitor.registerId(HotkeyID::dictation), HotkeyError);
    EXPECT_EQ(source->starts, 1);

    source->send(rctrl, A::down);
    source->send(rctrl, A::up);
    EXPECT_EQ(events,
              (Events { { HotkeyID::dictation, P },
                        { HotkeyID::commandMode, P },
                        { HotkeyID::dictation, R },
                        { HotkeyID::commandMode, R } }));

    monitor.unregister(HotkeyID::dictation);
    EXPECT_TRUE(monitor.isRunning());
    monitor.unregister(HotkeyID::commandMode);
    EXPECT_FALSE(monitor.isRunning());
    EXPECT_EQ(source->stops, 1);
}

TEST(FnHotkeyMonitorTest, StopWhileHeldReleasesAndRestartsClean)
{
    auto owned = std::make_unique<FakeKeySource>();
    FakeKeySource *source = owned.get();
    FnHotkeyMonitor monitor(std::move(owned));
    Events events;
    monitor.setOnEvent([&events](HotkeyID id, HotkeyPhase phase) { events.emplace_back(id, phase); });
    monitor.registerId(HotkeyID::dictation);
    source->send(rctrl, A::down);
    monitor.stop();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));

    // Started again while the key is still physically down: its release
    // must not count as a release of a press nobody saw.
    monitor.startIfNeeded();
    source->send(rctrl, A::up);
    EXPECT_EQ(events.size(), 2u);
}

TEST(FnHotkeyMonitorTest, UnavailableKeyboardFailsRegistration)
{
    FnHotkeyMonitor monitor(std::make_unique<FakeKeySource>(false));
    try {
        monitor.registerId(HotkeyID::dictation);
        FAIL() << "expected eventTapUnavailable";
    } catch (const HotkeyError &error) {
        EXPECT_EQ(error.kind(), HotkeyError::Kind::eventTapUnavailable);
    }
    EXPECT_TRUE(monitor.ids().empty());
    EXPECT_FALSE(monitor.isRunning());
}

} // namespace
} // namespace parlowind

#include "hotkeys/FirstAvailableKeySource.h"

namespace parlowind {
namespace {

TEST(FirstAvailableKeySourceTest, UsesTheFirstThatStartsAndAsksAgainEachTime)
{
    auto first = std::make_unique<FakeKeySource>(false);
    auto second = std::make_unique<FakeKeySource>(true);
    FakeKeySource *preferred = first.get();
    FakeKeySource *fallback = second.get();
    std::vector<std::unique_ptr<LoneKeySource>> candidates;
    candidates.push_back(std::move(first));
    candidates.push_back(std::move(second));
    FnHotkeyMonitor monitor(std::make_unique<FirstAvailableKeySource>(std::move(candidates)));
    Events events;
    monitor.setOnEvent([&events](HotkeyID id, HotkeyPhase phase) { events.emplace_back(id, phase); });

    monitor.registerId(HotkeyID::dictation);
    fallback->send(KeyCode::rightCtrl, KeyEvent::Action::down);
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, HotkeyPhase::pressed } }));
    monitor.unregister(HotkeyID::dictation);
    EXPECT_EQ(fallback->stops, 1);
    EXPECT_EQ(preferred->stops, 0);

    preferred->available = true; // access granted meanwhile
    monitor.registerId(HotkeyID::dictation);
    EXPECT_EQ(preferred->starts, 2);
    EXPECT_EQ(fallback->starts, 1);

    monitor.unregisterAll();
    preferred->available = false;
    fallback->available = false;
    EXPECT_THROW(monitor.registerId(HotkeyID::dictation), HotkeyError);
}

} // namespace
} // namespace parlowind
