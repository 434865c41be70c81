#include "AudioTestSupport.h"
#include "EnvironmentGuard.h"
#include "PulseRig.h"
#include "Rigs.h"
#include "audio/AudioCapture.h"
#include "audio/AudioCaptureError.h"
#include "audio/AudioDownmix.h"
#include "audio/AudioFormatConverter.h"
#include "audio/MicrophoneCheck.h"
#include "audio/PulseAudioInput.h"

#include <gtest/gtest.h>

using namespace parlowind;
using namespace parlowind::test;

namespace {

std::vector<float> toMono(const std::vector<float> &interleaved, int channels)
{
    std::vector<float> mono(interleaved.size() / std::size_t(channels));
    AudioDownmix::downmixToMono({ interleaved.data(), qint64(mono.size()), channels }, mono.data(),
                                qint64(mono.size()));
    return mono;
}

std::vector<float> concat(std::initializer_list<std::vector<float>> parts)
{
    std::vector<float> all;
    for (const auto &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

class MicrophoneCaptureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(hasPulseServer(), "PulseAudio daemon (.ci/rigs/30-pulseaudio.sh)");
        mic = std::make_unique<PipeMicrophone>(QStringLiteral("parlowind_test_mic"));
        ASSERT_TRUE(mic->isValid());
    }

    std::unique_ptr<AudioCapture> makeCapture(double maxSeconds = 120)
    {
        return std::make_unique<AudioCapture>(std::make_shared<PulseAudioInput>(), meter, maxSeconds);
    }

    // A loud constant written after the signal: once the meter has seen it,
    // everything written before has reached the capture. The meter measures
    // per delivered slice (up to 8,192 frames), so the marker spans more than
    // two slices to fill one on its own.
    std::vector<float> silence(double seconds) const { return std::vector<float>(frames(seconds), 0.0f); }
    std::vector<float> marker() const { return std::vector<float>(20000 * std::size_t(mic->channels()), 0.9f); }
    std::size_t frames(double seconds) const
    {
        return std::size_t(seconds * mic->rate()) * std::size_t(mic->channels());
    }
    bool waitForMarker()
    {
        return pumpUntil([&] { return meter->level() > 0.85f; });
    }
    // Drains until nothing more has arrived for a while: the end of what was
    // written may still be on its way through the FIFO and the server.
    std::vector<float> drainUntilQuiet(AudioCapture &capture, int *pieces)
    {
        std::vector<float> all;
        for (int quietPolls = 0; quietPolls < 8;) {
            pumpFor(0.05);
            const auto more = capture.drain();
            quietPolls = more.empty() ? quietPolls + 1 : 0;
            if (!more.empty())
                ++*pieces;
            all.insert(all.end(), more.begin(), more.end());
        }
        return all;
    }

    std::shared_ptr<LevelMeter> meter = std::make_shared<LevelMeter>();
    std::unique_ptr<PipeMicrophone> mic;
};

TEST_F(MicrophoneCaptureTest, RecordingReturnsWhatTheMicrophoneHeardAt16kHz)
{
    auto capture = makeCapture();
    capture->start();
    ASSERT_TRUE(capture->isRunning());

    // Different tones left and right, so the downmix shows.
    std::vector<float> stereo(frames(1.0));
    const auto left = sine(440, 48000, 1.0, 0.5f);
    const auto right = sine(1300, 48000, 1.0, 0.3f);
    for (std::size_t i = 0; i < left.size(); ++i) {
        stereo[2 * i] = left[i];
        stereo[2 * i + 1] = right[i];
    }
    const auto heard = mic->write(concat({ stereo, silence(0.3) }));
    mic->write(marker());
    ASSERT_TRUE(waitForMarker()) << "the written samples never reached the capture";

    const auto samples = capture->stop();
    EXPECT_FALSE(capture->isRunning());
    // The same take converted offline, up to where the marker begins.
    const auto reference = convertTakeToWhisperFormat(toMono(heard, 2), { 48000, 1 });
    const std::size_t compared = 16000 + 4000; // one second of tones and most of the silence
    ASSERT_GE(samples.size(), compared);
    ASSERT_GE(reference.size(), compared);
    EXPECT_LT(maxAbsDifference(std::vector<float>(samples.begin(), samples.begin() + compared),
                               std::vector<float>(reference.begin(), reference.begin() + compared)),
              1e-5f);
    EXPECT_GT(rms(std::vector<float>(samples.begin(), samples.begin() + 16000), 100), 0.2);
}

TEST_F(MicrophoneCaptureTest, DrainsHandOverEverySampleExactlyOnce)
{
    auto capture = makeCapture();
    capture->start();
    for (int round = 0; round < 3; ++round) {
        meter->reset();
        const auto chunk = concat({ sine(300 + 200 * round, 48000, 0.4, 0.5f, 2), silence(0.1), marker() });
        mic->write(chunk);
        ASSERT_TRUE(waitForMarker()) << "round " << round;
        int pieces = 0;
        const auto drained = drainUntilQuiet(*capture, &pieces);
        EXPECT_TRUE(capture->drain().empty()) << "nothing new was captured, round " << round;
        // Each take converts n frames to n/3 samples give or take one at the
        // edges; a repeated or lost block would be off by hundreds.
        EXPECT_NEAR(double(drained.size()), double(chunk.size() / 2) / 3.0, 2.0 * pieces + 2) << "round " << round;
    }
    EXPECT_TRUE(capture->stop().empty());
}

TEST_F(MicrophoneCaptureTest, ThirtySecondLimitDropsTheExcess)
{
    // The FIFO delivers 40 s at once, far faster than a real device; at
    // 16 kHz mono the whole burst fits in the server's record queue, so any
    // loss seen here is the capture's limit.
    mic.reset();
    mic = std::make_unique<PipeMicrophone>(QStringLiteral("parlowind_test_mic_16k"), 16000, 1);
    ASSERT_TRUE(mic->isValid());
    auto capture = makeCapture(30);
    capture->start();
    mic->write(sine(220, 16000, 40.0, 0.3f));
    mic->write(marker()); // beyond the limit, but the meter still sees it
    ASSERT_TRUE(waitForMarker());
    const auto samples = capture->stop();
    EXPECT_NEAR(double(samples.size()), 30.0 * 16000, 16.0);
}

TEST_F(MicrophoneCaptureTest, InputLevelFollowsTheSignal)
{
    auto capture = makeCapture();
    capture->start();
    EXPECT_EQ(capture->inputLevel(), 0.0f);

    mic->write(sine(500, 48000, 0.3, 0.1f, 2)); // RMS about 0.07
    ASSERT_TRUE(pumpUntil([&] { return capture->inputLevel() > 0.05f; }));
    EXPECT_LT(capture->inputLevel(), 0.08f);

    meter->takePeak(); // what the waveform display does every frame
    mic->write(sine(500, 48000, 0.3, 0.8f, 2)); // RMS about 0.57
    ASSERT_TRUE(pumpUntil([&] { return capture->inputLevel() > 0.5f; }));
    EXPECT_LT(capture->inputLevel(), 0.6f);
    capture->discard();
}

TEST_F(MicrophoneCaptureTest, ConsecutiveRecordingsEachGetAFreshStream)
{
    auto capture = makeCapture();
    for (int take = 0; take < 3; ++take) {
        meter->reset();
        capture->start();
        const auto chunk = concat({ sine(440, 48000, 0.5, 0.5f, 2), silence(0.1), marker() });
        mic->write(chunk);
        ASSERT_TRUE(waitForMarker()) << "take " << take;
        int pieces = 1;
        auto samples = drainUntilQuiet(*capture, &pieces);
        const auto rest = capture->stop();
        samples.insert(samples.end(), rest.begin(), rest.end());
        // All of this take, none of the previous one.
        EXPECT_NEAR(double(samples.size()), double(chunk.size() / 2) / 3.0, 2.0 * pieces + 2) << "take " << take;
    }
    EXPECT_FALSE(capture->isRunning());
}

// A speaker monitor as the default input would record whatever plays.
TEST_F(MicrophoneCaptureTest, RefusesASpeakerMonitorAsTheMicrophone)
{
    pactl({ QStringLiteral("set-default-source"), QStringLiteral("speakers.monitor") });
    auto capture = makeCapture();
    try {
        capture->start();
        ADD_FAILURE() << "recorded from the speaker monitor";
    } catch (const AudioCaptureError &error) {
        EXPECT_EQ(error.kind(), AudioCaptureError::Kind::engineStartFailed);
        EXPECT_TRUE(error.reason().contains(QStringLiteral("monitor"))) << error.reason().toStdString();
    }
    const MicrophoneCheck check = MicrophoneCheck::run();
    EXPECT_FALSE(check.isAvailable);
    EXPECT_TRUE(check.reason.contains(QStringLiteral("Choose your microphone"))) << check.reason.toStdString();
}

TEST(MicrophoneCheckTest, PassesWithTheRigAndExplainsAMissingServer)
{
    PARLOWIND_REQUIRE_RIG(hasPulseServer(), "PulseAudio daemon (.ci/rigs/30-pulseaudio.sh)");
    const MicrophoneCheck ok = MicrophoneCheck::run();
    EXPECT_TRUE(ok.isAvailable) << ok.reason.toStdString();
    EXPECT_TRUE(ok.reason.isEmpty());

    EnvironmentGuard env;
    env.set("PULSE_SERVER", "unix:/nonexistent/parlowind/native");
    const MicrophoneCheck missing = MicrophoneCheck::run();
    EXPECT_FALSE(missing.isAvailable);
    EXPECT_TRUE(missing.reason.contains(QStringLiteral("sound server does not answer")))
        << missing.reason.toStdString();

    // The capture says the same through its error.
    AudioCapture capture(std::make_shared<PulseAudioInput>(), std::make_shared<LevelMeter>(), 5);
    try {
        capture.start();
        ADD_FAILURE() << "started without a server";
    } catch (const AudioCaptureError &error) {
        EXPECT_EQ(error.kind(), AudioCaptureError::Kind::engineStartFailed);
    }
}

} // namespace
