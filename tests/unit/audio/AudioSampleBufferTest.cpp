#include "audio/AudioSampleBuffer.h"
#include "audio/AudioDownmix.h"

#include <gtest/gtest.h>

#include <ostream>

#include <atomic>
#include <numeric>
#include <thread>

using namespace parlowind;

namespace {

std::vector<float> ramp(int from, int count)
{
    std::vector<float> v(static_cast<std::size_t>(count));
    std::iota(v.begin(), v.end(), float(from));
    return v;
}

struct CapacityCase
{
    const char *name;
    friend void PrintTo(const CapacityCase &c, std::ostream *os) { *os << c.name; }
    double maxSeconds;
    double sampleRate;
    qint64 capacity;
};

class AudioSampleBufferCapacity : public ::testing::TestWithParam<CapacityCase>
{
};

TEST_P(AudioSampleBufferCapacity, IsSecondsTimesRateTruncatedButAtLeastOne)
{
    const CapacityCase &c = GetParam();
    AudioSampleBuffer buffer(c.maxSeconds, c.sampleRate);
    EXPECT_EQ(buffer.capacity(), c.capacity);
    EXPECT_EQ(buffer.count(), 0);
    EXPECT_TRUE(buffer.snapshot().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, AudioSampleBufferCapacity,
                         ::testing::Values(CapacityCase { "dictation48k", 120, 48000, 5'760'000 },
                                           CapacityCase { "meeting44k", 30, 44100, 1'323'000 },
                                           CapacityCase { "fractionTruncated", 0.00003, 100000, 3 },
                                           CapacityCase { "zeroSeconds", 0, 48000, 1 },
                                           CapacityCase { "belowOneSample", 0.1, 5, 1 },
                                           CapacityCase { "negative", -3, 48000, 1 }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(AudioSampleBufferTest, OverflowKeepsTheOldestSamplesAndMarksTheLoss)
{
    AudioSampleBuffer buffer(6, 1); // capacity 6
    const auto first = ramp(0, 2);
    buffer.append(first.data(), 2);
    EXPECT_FALSE(buffer.didOverflow());

    const auto ten = ramp(100, 10); // 4 free positions
    buffer.append(ten.data(), 10);
    EXPECT_TRUE(buffer.didOverflow());
    EXPECT_EQ(buffer.count(), buffer.capacity());
    EXPECT_EQ(buffer.snapshot(), (std::vector<float> { 0, 1, 100, 101, 102, 103 }));

    const auto more = ramp(500, 3); // full: nothing changes but the flag
    buffer.append(more.data(), 3);
    EXPECT_EQ(buffer.snapshot(), (std::vector<float> { 0, 1, 100, 101, 102, 103 }));
    EXPECT_DOUBLE_EQ(buffer.durationSeconds(), 6.0);
}

TEST(AudioSampleBufferTest, ResetForgetsEverythingIncludingTheOverflow)
{
    AudioSampleBuffer buffer(4, 1);
    const auto samples = ramp(1, 8);
    buffer.append(samples.data(), 8);
    buffer.reset();
    EXPECT_FALSE(buffer.didOverflow());
    EXPECT_TRUE(buffer.snapshot().empty());
    EXPECT_EQ(buffer.count(), 0);

    const auto next = ramp(50, 2); // stale storage is not returned
    buffer.append(next.data(), 2);
    EXPECT_EQ(buffer.snapshot(), (std::vector<float> { 50, 51 }));
}

TEST(AudioSampleBufferTest, TakeReturnsEachSampleOnceAndFreesItsSpace)
{
    AudioSampleBuffer buffer(5, 1);
    const auto a = ramp(0, 4);
    buffer.append(a.data(), 4);
    EXPECT_EQ(buffer.take(), a);
    EXPECT_TRUE(buffer.take().empty());

    // The whole capacity is available again, across the end of the storage.
    const auto b = ramp(10, 7);
    buffer.append(b.data(), 7);
    EXPECT_TRUE(buffer.didOverflow());
    EXPECT_EQ(buffer.snapshot(), (std::vector<float> { 10, 11, 12, 13, 14 }));
    EXPECT_EQ(buffer.take(), (std::vector<float> { 10, 11, 12, 13, 14 }));
    EXPECT_FALSE(buffer.didOverflow());
}

// The drain handover: while one thread appends a counting sequence, another
// takes repeatedly. Together the takes hold every appended sample exactly
// once, in order, because the buffer never fills.
TEST(AudioSampleBufferTest, TakingWhileTheWriterAppendsLosesAndRepeatsNothing)
{
    constexpr int total = 2'000'000;
    constexpr int block = 1024;
    AudioSampleBuffer buffer(total, 1);
    std::atomic_bool writerDone = false;
    std::thread writer([&] {
        std::vector<float> chunk(block);
        for (int next = 0; next < total; next += block) {
            const int n = std::min(block, total - next);
            for (int i = 0; i < n; ++i)
                chunk[std::size_t(i)] = float(next + i);
            buffer.append(chunk.data(), n);
        }
        writerDone = true;
    });
    std::vector<float> received;
    while (!writerDone.load() || buffer.count() > 0) {
        const auto taken = buffer.take();
        received.insert(received.end(), taken.begin(), taken.end());
    }
    writer.join();
    ASSERT_EQ(received.size(), std::size_t(total));
    for (int i = 0; i < total; ++i)
        ASSERT_EQ(received[std::size_t(i)], float(i)) << "at " << i;
    EXPECT_FALSE(buffer.didOverflow());
}

// With a small buffer the writer overflows, and what arrives is still a
// strictly increasing subsequence: dropped, never duplicated or reordered.
TEST(AudioSampleBufferTest, OverflowWhileTakingDropsButNeverDuplicates)
{
    constexpr int total = 500'000;
    AudioSampleBuffer buffer(3000, 1);
    std::atomic_bool writerDone = false;
    std::thread writer([&] {
        std::vector<float> chunk(512);
        for (int next = 0; next < total; next += 512) {
            for (int i = 0; i < 512; ++i)
                chunk[std::size_t(i)] = float(next + i);
            buffer.append(chunk.data(), 512);
        }
        writerDone = true;
    });
    std::vector<float> received;
    while (!writerDone.load()) {
        const auto taken = buffer.take();
        received.insert(received.end(), taken.begin(), taken.end());
        std::this_thread::yield();
    }
    writer.join();
    const auto rest = buffer.take();
    received.insert(received.end(), rest.begin(), rest.end());
    ASSERT_FALSE(received.empty());
    for (std::size_t i = 1; i < received.size(); ++i)
        ASSERT_LT(received[i - 1], received[i]) << "at " << i;
}

// --- Downmix -----------------------------------------------------------------

struct DownmixCase
{
    const char *name;
    friend void PrintTo(const DownmixCase &c, std::ostream *os) { *os << c.name; }
    int channels;
    std::vector<float> interleaved;
    qint64 capacity;
    std::vector<float> expected;
};

class AudioDownmixTest : public ::testing::TestWithParam<DownmixCase>
{
};

TEST_P(AudioDownmixTest, AveragesTheChannels)
{
    const DownmixCase &c = GetParam();
    const qint64 frames = c.channels > 0 ? qint64(c.interleaved.size()) / c.channels : 4;
    std::vector<float> out(16, -99.0f);
    const qint64 n = AudioDownmix::downmixToMono({ c.interleaved.data(), frames, c.channels }, out.data(), c.capacity);
    ASSERT_EQ(n, qint64(c.expected.size()));
    for (std::size_t i = 0; i < c.expected.size(); ++i)
        EXPECT_FLOAT_EQ(out[i], c.expected[i]) << "frame " << i;
    EXPECT_EQ(out[c.expected.size()], -99.0f) << "wrote past what it reported";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AudioDownmixTest,
    ::testing::Values(DownmixCase { "mono", 1, { 0.1f, -0.2f, 0.3f }, 16, { 0.1f, -0.2f, 0.3f } },
                      DownmixCase { "stereoLeftOnly", 2, { 1, 0, 1, 0, 1, 0 }, 16, { 0.5f, 0.5f, 0.5f } },
                      DownmixCase { "stereoNoClipping", 2, { 1.5f, 1.5f, -2, 1 }, 16, { 1.5f, -0.5f } },
                      DownmixCase { "fourChannels", 4, { 1, 0, 0, 0, 0.4f, 0.4f, 0.4f, 0.4f }, 16, { 0.25f, 0.4f } },
                      DownmixCase { "longerThanCapacity", 2, { 1, 1, 2, 2, 3, 3, 4, 4 }, 3, { 1, 2, 3 } },
                      DownmixCase { "zeroCapacity", 1, { 1, 2 }, 0, {} },
                      DownmixCase { "noChannels", 0, { 1, 2 }, 16, {} }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(AudioDownmixBlockTest, ABlockWithoutFloatDataYieldsNothing)
{
    float out[4] = {};
    EXPECT_EQ(AudioDownmix::downmixToMono({ nullptr, 4, 2 }, out, 4), 0);
}

} // namespace
