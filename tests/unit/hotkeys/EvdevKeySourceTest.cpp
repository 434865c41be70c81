#include "EvdevKeySource.h"
#include "hotkeys/FnHotkeyMonitor.h"
#include "hotkeys/HotkeyError.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <linux/input.h>

#include <gtest/gtest.h>
#include <unistd.h>

namespace parlowind {
namespace {

using Events = std::vector<std::pair<HotkeyID, HotkeyPhase>>;
constexpr auto P = HotkeyPhase::pressed;
constexpr auto R = HotkeyPhase::released;

QByteArray key(std::uint16_t code, std::int32_t value)
{
    return InputEventDecoder::encode(EV_KEY, code, value) + InputEventDecoder::encode(EV_SYN, SYN_REPORT, 0);
}

template<typename Predicate> bool processEventsUntil(Predicate done, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A keyboard behind a pipe, watched by a monitor through the evdev reader.
class EvdevPipeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        writeEnd = fds[1];
        monitor = std::make_unique<FnHotkeyMonitor>(EvdevKeySource::forStreams({ fds[0] }));
        monitor->setOnEvent([this](HotkeyID id, HotkeyPhase phase) { events.emplace_back(id, phase); });
        monitor->registerId(HotkeyID::dictation);
    }
    void TearDown() override
    {
        if (writeEnd >= 0)
            ::close(writeEnd);
    }
    void type(const QByteArray &bytes)
    {
        ASSERT_EQ(::write(writeEnd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
    }
    int writeEnd = -1;
    std::unique_ptr<FnHotkeyMonitor> monitor;
    Events events;
};

TEST_F(EvdevPipeTest, PressRepeatAndReleaseGiveOneOfEach)
{
    type(key(KEY_RIGHTCTRL, 1));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() == 1; }));
    for (int i = 0; i < 20; ++i)
        type(key(KEY_RIGHTCTRL, 2));
    type(key(KEY_RIGHTCTRL, 0));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));
}

TEST_F(EvdevPipeTest, ChordUseReleasesAtTheSecondKeyAndRecordsSplitAcrossWrites)
{
    const QByteArray stream = key(KEY_RIGHTCTRL, 1) + key(KEY_C, 1) + key(KEY_C, 0) + key(KEY_RIGHTCTRL, 0)
        + key(KEY_RIGHTCTRL, 1) + key(KEY_RIGHTCTRL, 0);
    for (qsizetype at = 0; at < stream.size(); at += 7) {
        type(stream.mid(at, 7));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 4; }));
    EXPECT_EQ(events,
              (Events { { HotkeyID::dictation, P },
                        { HotkeyID::dictation, R },
                        { HotkeyID::dictation, P },
                        { HotkeyID::dictation, R } }));
}

TEST_F(EvdevPipeTest, KeyboardGoneWhileHeldReleases)
{
    type(key(KEY_RIGHTCTRL, 1));
    ASSERT_TRUE(processEventsUntil([&] { return events.size() == 1; }));
    ::close(writeEnd); // unplugged
    writeEnd = -1;
    ASSERT_TRUE(processEventsUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events, (Events { { HotkeyID::dictation, P }, { HotkeyID::dictation, R } }));
}

TEST(EvdevKeySourceTest, NoReadableKeyboardIsEventTapUnavailable)
{
    QTemporaryDir empty;
    FnHotkeyMonitor monitor(std::make_unique<EvdevKeySource>(empty.path()));
    try {
        monitor.registerId(HotkeyID::dictation);
        FAIL() << "expected eventTapUnavailable";
    } catch (const HotkeyError &error) {
        EXPECT_EQ(error.kind(), HotkeyError::Kind::eventTapUnavailable);
    }
    EXPECT_TRUE(EvdevKeySource::keyboards(empty.path()).isEmpty());
}

} // namespace
} // namespace parlowind

#include "InputAccessProbe.h"

#include <grp.h>

namespace parlowind {
namespace {

TEST(InputAccessProbeTest, GroupMembershipComparesDatabaseAndSession)
{
    EXPECT_FALSE(InputAccessProbe::groupMembership("parlowind-no-such-group").exists);
    // The process's own primary group: listed (as the user's primary group)
    // and in this session.
    const struct group *own = getgrgid(getgid());
    ASSERT_NE(own, nullptr);
    const auto membership = InputAccessProbe::groupMembership(own->gr_name);
    EXPECT_TRUE(membership.exists);
    EXPECT_TRUE(membership.inSession);
    EXPECT_TRUE(membership.listed);
}

TEST(InputAccessProbeTest, MissingDevicesAreReportedAsMissing)
{
    QTemporaryDir empty;
    const auto facts = InputAccessProbe::probe(empty.path(), empty.filePath(QStringLiteral("uinput")));
    EXPECT_FALSE(facts.inputDevicesPresent);
    EXPECT_FALSE(facts.inputDevicesReadable);
    EXPECT_FALSE(facts.uinputPresent);
    EXPECT_FALSE(facts.uinputWritable);
}

} // namespace
} // namespace parlowind
