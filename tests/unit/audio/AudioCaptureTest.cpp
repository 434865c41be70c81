#include "audio/AudioCapture.h"
#include "AudioTestSupport.h"
#include "audio/AudioCaptureError.h"
#include "audio/AudioFormatConverter.h"

#include <gtest/gtest.h>

#include <ostream>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

using namespace parlowind;
using namespace parlowind::test;
using namespace std::chrono_literals;

namespace {

// Waits (bounded) until `condition` holds; for effects that happen on the
// capture's background workers.
template<typename F> bool eventually(std::mutex &mutex, std::condition_variable &changed, F condition)
{
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, 10s, condition);
}

// How one scripted engine behaves.
struct EngineScript
{
    AudioFormat format { 48000, 1 };
    bool refuseStart = false;
    bool hangInStart = false; // until release()
    bool hangInStop = false; // until release()
};

// Engines that do what the test scripts, record what was asked of them, and
// let the test play the audio thread by feeding blocks.
class FakeEngines final : public AudioInputEngineFactory
{
public:
    struct Record
    {
        bool started = false;
        bool stopped = false;
        bool destroyed = false;
        std::shared_ptr<AudioBlockReceiver> receiver;
    };

    void script(EngineScript next)
    {
        std::lock_guard lock(m_mutex);
        m_scripts.push_back(next);
    }

    std::unique_ptr<AudioInputEngine> makeEngine() override
    {
        std::lock_guard lock(m_mutex);
        EngineScript script;
        if (!m_scripts.empty()) {
            script = m_scripts.front();
            m_scripts.pop_front();
        }
        m_records.emplace_back();
        return std::make_unique<Engine>(*this, m_records.size() - 1, script);
    }

    std::size_t engineCount()
    {
        std::lock_guard lock(m_mutex);
        return m_records.size();
    }
    Record record(std::size_t index)
    {
        std::lock_guard lock(m_mutex);
        return m_records.at(index);
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }
    bool waitUntilStopped(std::size_t index)
    {
        return eventually(m_mutex, m_changed, [&] { return m_records.at(index).stopped; });
    }
    bool waitUntilDestroyed(std::size_t index)
    {
        return eventually(m_mutex, m_changed, [&] { return m_records.at(index).destroyed; });
    }

    // The audio thread's part: hands interleaved frames to the engine's receiver.
    void feed(std::size_t index, const std::vector<float> &interleaved, int channels)
    {
        std::shared_ptr<AudioBlockReceiver> receiver = record(index).receiver;
        ASSERT_TRUE(receiver) << "engine " << index << " was never started";
        receiver->receive({ interleaved.data(), qint64(interleaved.size()) / channels, channels });
    }
    void feedInBlocks(std::size_t index, const std::vector<float> &interleaved, int channels, qint64 frames = 1024)
    {
        const qint64 total = qint64(interleaved.size()) / channels;
        for (qint64 at = 0; at < total; at += frames) {
            const qint64 n = std::min(frames, total - at);
            record(index).receiver->receive({ interleaved.data() + at * channels, n, channels });
        }
    }

private:
    class Engine final : public AudioInputEngine
    {
    public:
        Engine(FakeEngines &owner, std::size_t index, EngineScript script)
            : m_owner(owner)
            , m_index(index)
            , m_script(script)
        { }
        ~Engine() override
        {
            std::lock_guard lock(m_owner.m_mutex);
            m_owner.m_records[m_index].destroyed = true;
            m_owner.m_changed.notify_all();
        }
        AudioFormat inputFormat() override { return m_script.format; }
        void start(std::shared_ptr<AudioBlockReceiver> receiver) override
        {
            std::unique_lock lock(m_owner.m_mutex);
            if (m_script.hangInStart)
                m_owner.m_changed.wait(lock, [&] { return m_owner.m_released; });
            if (m_script.refuseStart)
                throw AudioCaptureError::engineStartFailed(QStringLiteral("device busy"));
            m_owner.m_records[m_index].started = true;
            m_owner.m_records[m_index].receiver = std::move(receiver);
        }
        void stop() noexcept override
        {
            std::unique_lock lock(m_owner.m_mutex);
            if (m_script.hangInStop)
                m_owner.m_changed.wait(lock, [&] { return m_owner.m_released; });
            m_owner.m_records[m_index].stopped = true;
            m_owner.m_changed.notify_all();
        }

    private:
        FakeEngines &m_owner;
        std::size_t m_index;
        EngineScript m_script;
    };

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<EngineScript> m_scripts;
    std::deque<Record> m_records;
    bool m_released = false;
};

class AudioCaptureTest : public ::testing::Test
{
protected:
    std::shared_ptr<FakeEngines> engines = std::make_shared<FakeEngines>();
    std::shared_ptr<LevelMeter> meter = std::make_shared<LevelMeter>();

    std::unique_ptr<AudioCapture> makeCapture(double maxSeconds = 120)
    {
        return std::make_unique<AudioCapture>(engines, meter, maxSeconds);
    }

    void TearDown() override { engines->release(); } // never leave a worker hanging
};

TEST_F(AudioCaptureTest, StopReturnsTheRecordingAsSixteenKilohertzMono)
{
    engines->script({ .format = { 48000, 2 } });
    auto capture = makeCapture();
    capture->start();
    EXPECT_TRUE(capture->isRunning());

    // Left carries the tone, right is silent: mono is half the tone.
    std::vector<float> stereo = sine(440, 48000, 1.0, 0.8f, 2);
    for (std::size_t i = 1; i < stereo.size(); i += 2)
        stereo[i] = 0;
    engines->feedInBlocks(0, stereo, 2);

    const auto samples = capture->stop();
    EXPECT_FALSE(capture->isRunning());
    EXPECT_NEAR(double(samples.size()), 16000.0, 2.0);
    const auto reference = convertTakeToWhisperFormat(sine(440, 48000, 1.0, 0.4f), { 48000, 1 });
    ASSERT_EQ(samples.size(), reference.size());
    EXPECT_LT(maxAbsDifference(samples, reference), 1e-5f);

    EXPECT_TRUE(engines->waitUntilStopped(0));
    EXPECT_TRUE(engines->waitUntilDestroyed(0));
}

// Device blocks larger than the downmix scratch are taken whole, in slices.
TEST_F(AudioCaptureTest, KeepsEveryFrameOfOversizedBlocks)
{
    engines->script({ .format = { 16000, 1 } });
    auto capture = makeCapture();
    capture->start();
    const auto block = sine(300, 16000, 1.5); // 24,000 frames in one block
    engines->feed(0, block, 1);
    const auto samples = capture->stop();
    EXPECT_NEAR(double(samples.size()), 24000.0, 2.0);
    EXPECT_NEAR(rms(samples, 100), 0.5 / std::sqrt(2.0), 0.01);
}

TEST_F(AudioCaptureTest, SecondStartIsRefusedAndLeavesTheRecordingAlone)
{
    auto capture = makeCapture();
    capture->start();
    engines->feed(0, sine(440, 48000, 0.5), 1);
    try {
        capture->start();
        ADD_FAILURE() << "second start accepted";
    } catch (const AudioCaptureError &error) {
        EXPECT_EQ(error.kind(), AudioCaptureError::Kind::alreadyRunning);
    }
    EXPECT_EQ(engines->engineCount(), 1u) << "a refused start must not open another engine";
    EXPECT_TRUE(capture->isRunning());
    engines->feed(0, sine(440, 48000, 0.5), 1);
    EXPECT_NEAR(double(capture->stop().size()), 16000.0, 2.0);
}

TEST_F(AudioCaptureTest, OperationsWhenIdleDoNothing)
{
    auto capture = makeCapture();
    EXPECT_TRUE(capture->stop().empty());
    EXPECT_TRUE(capture->drain().empty());
    capture->discard();
    EXPECT_FALSE(capture->isRunning());
    EXPECT_EQ(engines->engineCount(), 0u);
}

TEST_F(AudioCaptureTest, DrainHandsOverEachSampleOnceWhileRecordingGoesOn)
{
    engines->script({ .format = { 16000, 1 } });
    auto capture = makeCapture();
    capture->start();
    const auto first = sine(200, 16000, 0.5);
    engines->feedInBlocks(0, first, 1);
    const auto drained = capture->drain();
    EXPECT_NEAR(double(drained.size()), 8000.0, 2.0);
    EXPECT_TRUE(capture->drain().empty()) << "nothing new was captured";
    EXPECT_TRUE(capture->isRunning());

    engines->feedInBlocks(0, sine(200, 16000, 0.25), 1);
    EXPECT_NEAR(double(capture->stop().size()), 4000.0, 2.0) << "stop returns only what came after the drain";
}

TEST_F(AudioCaptureTest, TheLimitDropsLaterAudioUntilTheNextDrain)
{
    engines->script({ .format = { 16000, 1 } });
    auto capture = makeCapture(2.0);
    capture->start();
    engines->feedInBlocks(0, sine(200, 16000, 3.0), 1);
    EXPECT_NEAR(double(capture->drain().size()), 32000.0, 2.0) << "at most two seconds between drains";
    // The drain made room again.
    engines->feedInBlocks(0, sine(200, 16000, 1.5), 1);
    EXPECT_NEAR(double(capture->stop().size()), 24000.0, 2.0);
}

TEST_F(AudioCaptureTest, DiscardThrowsTheSamplesAwayAndClosesTheEngine)
{
    auto capture = makeCapture();
    capture->start();
    engines->feed(0, sine(440, 48000, 0.5), 1);
    capture->discard();
    EXPECT_FALSE(capture->isRunning());
    EXPECT_TRUE(capture->stop().empty());
    EXPECT_TRUE(engines->waitUntilStopped(0));
}

TEST_F(AudioCaptureTest, InputLevelFollowsTheMeterAndStartResetsIt)
{
    auto capture = makeCapture();
    capture->start();
    engines->feed(0, std::vector<float>(1024, 0.5f), 1);
    EXPECT_FLOAT_EQ(capture->inputLevel(), 0.5f);
    EXPECT_FLOAT_EQ(meter->takePeak(), 0.5f);
    engines->feed(0, std::vector<float>(1024, 0.25f), 1);
    capture->stop();
    EXPECT_FLOAT_EQ(capture->inputLevel(), 0.25f);

    capture->start(); // the new engine has delivered nothing yet

    EXPECT_FLOAT_EQ(capture->inputLevel(), 0.0f);
    capture->stop();
}

struct FailedStartCase
{
    const char *name;
    friend void PrintTo(const FailedStartCase &c, std::ostream *os) { *os << c.name; }
    EngineScript script;
};

class AudioCaptureFailedStart : public AudioCaptureTest, public ::testing::WithParamInterface<FailedStartCase>
{
};

TEST_P(AudioCaptureFailedStart, ReportsEngineStartFailedAndStaysIdle)
{
    engines->script(GetParam().script);
    auto capture = makeCapture();
    try {
        capture->start();
        ADD_FAILURE() << "start succeeded";
    } catch (const AudioCaptureError &error) {
        EXPECT_EQ(error.kind(), AudioCaptureError::Kind::engineStartFailed);
    }
    EXPECT_FALSE(capture->isRunning());
    EXPECT_FALSE(engines->record(0).started);

    capture->start(); // the next engine works
    EXPECT_TRUE(capture->isRunning());
    capture->stop();
}

INSTANTIATE_TEST_SUITE_P(Cases, AudioCaptureFailedStart,
                         ::testing::Values(FailedStartCase { "noChannels", { .format = { 48000, 0 } } },
                                           FailedStartCase { "noRate", { .format = { 0, 2 } } },
                                           FailedStartCase { "refused", { .refuseStart = true } }),
                         [](const auto &info) { return std::string(info.param.name); });

// An audio server that never answers: the caller is released after the
// bounded wait, and the abandoned engine is closed once it finally returns.
TEST_F(AudioCaptureTest, StartThatNeverAnswersTimesOutAndIsAbandoned)
{
    engines->script({ .hangInStart = true });
    auto capture = makeCapture();
    LogCapture logs;
    try {
        capture->start();
        ADD_FAILURE() << "start returned although the engine never answered";
    } catch (const AudioCaptureError &error) {
        EXPECT_EQ(error.kind(), AudioCaptureError::Kind::startTimedOut);
    }
    EXPECT_TRUE(logs.contains(QStringLiteral("AudioCapture: engine did not start within 0.8s; abandoning it")));
    EXPECT_FALSE(capture->isRunning());

    // The hung start finally returns: its engine is closed, not adopted.
    engines->release();
    EXPECT_TRUE(engines->waitUntilStopped(0));
    EXPECT_TRUE(engines->waitUntilDestroyed(0));
    EXPECT_FALSE(capture->isRunning());

    capture->start(); // not alreadyRunning
    EXPECT_TRUE(capture->isRunning());
    EXPECT_EQ(engines->engineCount(), 2u);
    capture->stop();
}

TEST_F(AudioCaptureTest, StopDoesNotWaitForTheEngineToClose)
{
    engines->script({ .hangInStop = true });
    auto capture = makeCapture();
    capture->start();
    engines->feed(0, sine(440, 48000, 0.2), 1);
    EXPECT_FALSE(capture->stop().empty()); // returns although the engine is still stopping
    EXPECT_FALSE(engines->record(0).stopped);

    capture->start(); // a new engine while the old one stops
    EXPECT_EQ(engines->engineCount(), 2u);
    EXPECT_TRUE(engines->record(1).started);
    capture->stop();
    engines->release();
    EXPECT_TRUE(engines->waitUntilStopped(0));
}

TEST_F(AudioCaptureTest, DestroyingARunningCaptureClosesTheEngine)
{
    auto capture = makeCapture();
    capture->start();
    capture.reset();
    EXPECT_TRUE(engines->record(0).stopped);
    EXPECT_TRUE(engines->record(0).destroyed);
}

} // namespace
