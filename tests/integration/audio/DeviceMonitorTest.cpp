#include "PulseRig.h"
#include "Rigs.h"
#include "audio/AudioCapture.h"
#include "audio/PulseAudioDeviceMonitor.h"
#include "audio/PulseAudioInput.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace parlowind;
using namespace parlowind::test;

namespace {

// Longer than the monitor's coalescing window: enough for a duplicate report
// of the same change to show up.
constexpr double settleSeconds = 3.0 * PulseAudioDeviceMonitor::coalesceMilliseconds / 1000.0;

class DeviceMonitorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(hasPulseServer(), "PulseAudio daemon (.ci/rigs/30-pulseaudio.sh)");
        QObject::connect(&monitor, &PulseAudioDeviceMonitor::inputConfigurationChanged, &monitor,
                         [this] { ++reports; });
        ASSERT_TRUE(monitor.start());
    }

    // Waits for the next report, then checks that no second one follows.
    void expectExactlyOneMoreReport(const char *what)
    {
        const int before = reports;
        EXPECT_TRUE(pumpUntil([&] { return reports > before; })) << "not reported: " << what;
        pumpFor(settleSeconds);
        EXPECT_EQ(reports, before + 1) << what;
    }
    void expectNoReport(const char *what)
    {
        const int before = reports;
        pumpFor(settleSeconds * 2);
        EXPECT_EQ(reports, before) << what;
    }

    PulseAudioDeviceMonitor monitor;
    int reports = 0;
};

TEST_F(DeviceMonitorTest, InputAddedAndRemovedAreEachReportedOnce)
{
    auto mic = std::make_unique<PipeMicrophone>(QStringLiteral("parlowind_monitor_mic"));
    // A new source that also became the default: still one change.
    expectExactlyOneMoreReport("a microphone was plugged in");
    mic.reset();
    expectExactlyOneMoreReport("the microphone was unplugged");
}

TEST_F(DeviceMonitorTest, ChangeOfDefaultSourceIsReported)
{
    const QString module = pactl({ QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                                   QStringLiteral("source_name=parlowind_second_mic") });
    expectExactlyOneMoreReport("a second microphone was added");
    const QString previous = pactl({ QStringLiteral("get-default-source") });
    pactl({ QStringLiteral("set-default-source"), QStringLiteral("parlowind_second_mic") });
    expectExactlyOneMoreReport("the default input changed");
    pactl({ QStringLiteral("set-default-source"), previous });
    expectExactlyOneMoreReport("the default input changed back");
    pactl({ QStringLiteral("unload-module"), module });
    expectExactlyOneMoreReport("the second microphone was removed");
}

// A new output device brings a monitor source along; that is not a microphone.
TEST_F(DeviceMonitorTest, OutputDevicesAndTheirMonitorsAreNotInputChanges)
{
    const QString module = pactl({ QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                   QStringLiteral("sink_name=parlowind_headphones") });
    expectNoReport("an output device appeared");
    pactl({ QStringLiteral("unload-module"), module });
    expectNoReport("an output device went away");
}

TEST_F(DeviceMonitorTest, OurRecordingMovedToASpeakerMonitorIsReported)
{
    PipeMicrophone mic(QStringLiteral("parlowind_moved_mic"));
    expectExactlyOneMoreReport("setup: the microphone appeared");

    AudioCapture capture(std::make_shared<PulseAudioInput>(), std::make_shared<LevelMeter>(), 10);
    capture.start();
    expectNoReport("starting a recording is no device change");

    const QString outputs
        = pactl({ QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("source-outputs") });
    const QStringList lines = outputs.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << outputs.toStdString();
    const QString index = lines.first().section(QLatin1Char('\t'), 0, 0);
    pactl({ QStringLiteral("move-source-output"), index, QStringLiteral("speakers.monitor") });
    expectExactlyOneMoreReport("our stream was moved to the speaker monitor");
    capture.discard();
}

TEST_F(DeviceMonitorTest, UnpluggingTheMicrophoneDuringARecordingIsOneChange)
{
    PipeMicrophone mic(QStringLiteral("parlowind_unplugged_mic"));
    expectExactlyOneMoreReport("setup: the microphone appeared");
    AudioCapture capture(std::make_shared<PulseAudioInput>(), std::make_shared<LevelMeter>(), 10);
    capture.start();
    // Removes the source, changes the default and moves or ends our stream.
    mic.unplug();
    expectExactlyOneMoreReport("the microphone was unplugged while recording");
    capture.stop();
}

} // namespace
