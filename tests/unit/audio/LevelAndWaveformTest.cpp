#include "audio/LevelMeter.h"
#include "audio/WaveformSampler.h"
#include "audio/WaveformScale.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <thread>

using namespace parlowind;

namespace {

struct RmsCase
{
    const char *name;
    friend void PrintTo(const RmsCase &c, std::ostream *os) { *os << c.name; }
    std::vector<float> samples;
    float expected;
};

class LevelMeterRms : public ::testing::TestWithParam<RmsCase>
{
};

TEST_P(LevelMeterRms, HoldsTheBlockRms)
{
    LevelMeter meter;
    meter.update(GetParam().samples);
    EXPECT_NEAR(meter.level(), GetParam().expected, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Cases, LevelMeterRms,
                         ::testing::Values(RmsCase { "fullScaleSquare", { 1, -1, 1, -1 }, 1.0f },
                                           RmsCase { "aboveFullScaleIsCapped", { 3, -2, 4, -5 }, 1.0f },
                                           RmsCase { "halfScaleSquare", { 0.5f, -0.5f }, 0.5f },
                                           RmsCase { "mixed", { 0.3f, 0.4f }, std::sqrt(0.125f) },
                                           RmsCase { "silence", { 0, 0, 0 }, 0.0f },
                                           RmsCase { "emptyBlock", {}, 0.0f }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(LevelMeterTest, KeepsTheLoudestUntilTaken)
{
    LevelMeter meter;
    meter.update(std::vector<float> { 0.2f, -0.2f });
    meter.update(std::vector<float> { 0.1f, -0.1f });
    EXPECT_FLOAT_EQ(meter.level(), 0.2f);
    EXPECT_FLOAT_EQ(meter.takePeak(), 0.2f);
    EXPECT_FLOAT_EQ(meter.takePeak(), 0.0f);

    meter.update(std::vector<float> { 0.6f });
    meter.reset();
    EXPECT_FLOAT_EQ(meter.level(), 0.0f);
}

TEST(LevelMeterTest, ConcurrentUpdatesKeepTheMaximum)
{
    LevelMeter meter;
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&meter, t] {
            for (int i = 0; i < 20000; ++i) {
                const float v = float((i * 7 + t) % 1000) / 1000.0f;
                meter.update(&v, 1);
            }
        });
    for (auto &w : writers)
        w.join();
    EXPECT_FLOAT_EQ(meter.takePeak(), 0.999f);
}

// --- WaveformScale -----------------------------------------------------------

struct ScaleCase
{
    const char *name;
    friend void PrintTo(const ScaleCase &c, std::ostream *os) { *os << c.name; }
    float level;
    float expectedHeight;
    float expectedCeiling;
};

class WaveformScaleFromRest : public ::testing::TestWithParam<ScaleCase>
{
};

// Each row starts from a fresh scale (ceiling −30 dB).
TEST_P(WaveformScaleFromRest, MapsLevelToHeight)
{
    const ScaleCase &c = GetParam();
    WaveformScale scale;
    EXPECT_NEAR(scale.normalized(c.level), c.expectedHeight, 1e-3);
    EXPECT_NEAR(scale.ceiling(), c.expectedCeiling, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Cases, WaveformScaleFromRest,
                         ::testing::Values(ScaleCase { "silence", 0.0f, 0.0f, -30.0f },
                                           ScaleCase { "negative", -0.5f, 0.0f, -30.0f },
                                           ScaleCase { "minus40dB", 0.01f, (-40.0f + 58.0f) / 28.0f, -30.0f },
                                           ScaleCase { "fullScaleLiftsCeilingToMax", 1.0f, 1.0f, -6.0f },
                                           ScaleCase { "belowFloor", 0.0005f, 0.0f, -30.0f },
                                           ScaleCase { "atCeiling", 0.0316228f, 1.0f, -30.0f },
                                           ScaleCase { "minus20dBLiftsCeiling", 0.1f, 1.0f, -20.0f },
                                           ScaleCase { "rangeBelowCeiling", 0.00125893f, 0.0f, -30.0f }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(WaveformScaleTest, CeilingSinksEveryFrameButNotBelowItsMinimum)
{
    WaveformScale scale;
    scale.normalized(1.0f); // ceiling −6
    EXPECT_FLOAT_EQ(scale.ceiling(), -6.0f);
    scale.normalized(0.0f);
    EXPECT_NEAR(scale.ceiling(), -6.35f, 1e-5);
    // −20 dB now sits below the lifted ceiling, so the bar is partial.
    const float h = scale.normalized(0.1f);
    EXPECT_NEAR(scale.ceiling(), -6.7f, 1e-4);
    EXPECT_NEAR(h, (-20.0f - (-6.7f - 28.0f)) / 28.0f, 1e-3);

    for (int i = 0; i < 200; ++i)
        scale.normalized(0.0f);
    EXPECT_FLOAT_EQ(scale.ceiling(), -30.0f);
    scale.normalized(1.0f);
    scale.reset();
    EXPECT_FLOAT_EQ(scale.ceiling(), -30.0f);
}

// --- WaveformSampler ---------------------------------------------------------

TEST(WaveformSamplerTest, ScrollsOldestFirst)
{
    WaveformSampler sampler(3);
    EXPECT_EQ(sampler.bars(), (std::vector<float> { 0, 0, 0 }));
    sampler.append(0.1f);
    sampler.append(0.2f);
    EXPECT_EQ(sampler.bars(), (std::vector<float> { 0, 0.1f, 0.2f }));
    sampler.append(0.3f);
    sampler.append(0.4f);
    EXPECT_EQ(sampler.bars(), (std::vector<float> { 0.2f, 0.3f, 0.4f }));
    sampler.reset();
    EXPECT_EQ(sampler.bars(), (std::vector<float> { 0, 0, 0 }));
    sampler.append(0.5f);
    EXPECT_EQ(sampler.bars(), (std::vector<float> { 0, 0, 0.5f }));
}

struct ClampCase
{
    const char *name;
    friend void PrintTo(const ClampCase &c, std::ostream *os) { *os << c.name; }
    float height;
    float stored;
};

class WaveformSamplerClamp : public ::testing::TestWithParam<ClampCase>
{
};

TEST_P(WaveformSamplerClamp, ClampsToZeroOne)
{
    WaveformSampler sampler(0); // fewer than one bar becomes one
    ASSERT_EQ(sampler.barCount(), 1);
    sampler.append(GetParam().height);
    EXPECT_EQ(sampler.bars(), (std::vector<float> { GetParam().stored }));
}

INSTANTIATE_TEST_SUITE_P(Cases, WaveformSamplerClamp,
                         ::testing::Values(ClampCase { "above", 1.5f, 1.0f }, ClampCase { "below", -0.2f, 0.0f },
                                           ClampCase { "inside", 0.25f, 0.25f }, ClampCase { "nan", NAN, 0.0f }),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
