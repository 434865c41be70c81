#include "audio/AudioFormatConverter.h"
#include "AudioTestSupport.h"
#include "audio/AudioCaptureError.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace parlowind;
using namespace parlowind::test;

namespace {

std::vector<float> convertAll(AudioFormatConverter &converter, const std::vector<float> &input, qint64 blockFrames)
{
    const int channels = converter.inputFormat().channels;
    const qint64 frames = qint64(input.size()) / channels;
    std::vector<float> out;
    for (qint64 at = 0; at < frames; at += blockFrames) {
        const qint64 n = std::min(blockFrames, frames - at);
        const auto part = converter.convert(input.data() + at * channels, n);
        out.insert(out.end(), part.begin(), part.end());
    }
    const auto tail = converter.flush();
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

struct RateCase
{
    const char *name;
    friend void PrintTo(const RateCase &c, std::ostream *os) { *os << c.name; }
    double rate;
    int channels;
};

class ConversionOfOneSecond : public ::testing::TestWithParam<RateCase>
{
};

TEST_P(ConversionOfOneSecond, GivesSixteenThousandSamplesOfTheSameTone)
{
    const RateCase &c = GetParam();
    const auto input = sine(440, c.rate, 1.0, 0.5f, c.channels);
    AudioFormatConverter converter({ c.rate, c.channels });

    const auto body = converter.convert(input);
    const auto tail = converter.flush();
    const std::size_t total = body.size() + tail.size();
    EXPECT_NEAR(double(total), 16000.0, 2.0);
    if (c.rate != 16000) {
        EXPECT_GT(tail.size(), 0u) << "the filter holds samples back until the flush";
    }

    std::vector<float> all = body;
    all.insert(all.end(), tail.begin(), tail.end());
    // A 440 Hz tone is well inside the pass band: same loudness, same tone.
    EXPECT_NEAR(rms(all, 200), 0.5 / std::sqrt(2.0), 0.01);
    const auto reference = sine(440, 16000, double(all.size()) / 16000.0);
    EXPECT_LT(maxAbsDifference(std::vector<float>(all.begin() + 200, all.end() - 200),
                               std::vector<float>(reference.begin() + 200, reference.end() - 200)),
              0.01f)
        << "samples are not aligned with the input in time";
}

INSTANTIATE_TEST_SUITE_P(Rates, ConversionOfOneSecond,
                         ::testing::Values(RateCase { "mono48k", 48000, 1 }, RateCase { "mono44k1", 44100, 1 },
                                           RateCase { "stereo48k", 48000, 2 }, RateCase { "mono22k05", 22050, 1 },
                                           RateCase { "mono96k", 96000, 1 }, RateCase { "mono16k", 16000, 1 },
                                           RateCase { "quad48k", 48000, 4 }, RateCase { "mono8k", 8000, 1 }),
                         [](const auto &info) { return std::string(info.param.name); });

// The filter state carries over between blocks: feeding a stream in device
// blocks gives what converting it whole gives.
TEST(AudioFormatConverterTest, BlockByBlockMatchesOneGo)
{
    const auto input = sine(1000, 48000, 2.0, 0.7f, 2);
    AudioFormatConverter whole({ 48000, 2 });
    AudioFormatConverter blocks({ 48000, 2 });
    const auto expected = convertAll(whole, input, 1 << 30);
    const auto actual = convertAll(blocks, input, 1024);
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_LT(maxAbsDifference(actual, expected), 1e-5f);
}

TEST(AudioFormatConverterTest, AnEmptyBlockLeavesTheStreamUntouched)
{
    const auto input = sine(300, 44100, 0.5);
    AudioFormatConverter plain({ 44100, 1 });
    AudioFormatConverter withEmpty({ 44100, 1 });
    const std::size_t half = input.size() / 2;
    std::vector<float> first(input.begin(), input.begin() + std::ptrdiff_t(half));
    std::vector<float> second(input.begin() + std::ptrdiff_t(half), input.end());

    auto a = plain.convert(first);
    auto a2 = plain.convert(second);
    a.insert(a.end(), a2.begin(), a2.end());

    auto b = withEmpty.convert(first);
    EXPECT_TRUE(withEmpty.convert(nullptr, 0).empty());
    EXPECT_TRUE(withEmpty.convert(std::vector<float> {}).empty());
    auto b2 = withEmpty.convert(second);
    b.insert(b.end(), b2.begin(), b2.end());
    EXPECT_EQ(a, b);
}

// Content above 8 kHz cannot exist at 16 kHz; a band-limited converter
// removes it rather than folding it down into the speech band.
TEST(AudioFormatConverterTest, RemovesWhatLiesAboveTheNewNyquistFrequency)
{
    AudioFormatConverter converter({ 48000, 1 });
    const auto out = converter.convert(sine(12000, 48000, 1.0, 0.9f));
    EXPECT_LT(rms(out, 200), 0.005);
}

struct BadFormatCase
{
    const char *name;
    friend void PrintTo(const BadFormatCase &c, std::ostream *os) { *os << c.name; }
    AudioFormat format;
};

class UnusableFormat : public ::testing::TestWithParam<BadFormatCase>
{
};

TEST_P(UnusableFormat, IsRefusedAndTheTakeConversionLogsAndReturnsNothing)
{
    const AudioFormat format = GetParam().format;
    try {
        AudioFormatConverter converter(format);
        ADD_FAILURE() << "constructed a converter for an unusable format";
    } catch (const AudioFormatError &error) {
        EXPECT_EQ(error.kind(), AudioFormatError::Kind::unsupportedInputFormat);
    }

    LogCapture logs;
    EXPECT_TRUE(convertTakeToWhisperFormat(std::vector<float>(1000, 0.1f), format).empty());
    ASSERT_EQ(logs.lines().size(), 1);
    EXPECT_TRUE(logs.lines().first().startsWith(
        QStringLiteral("AudioCapture: conversion failed; no usable samples: unsupportedInputFormat")))
        << logs.lines().first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, UnusableFormat,
                         ::testing::Values(BadFormatCase { "noChannels", { 48000, 0 } },
                                           BadFormatCase { "zeroRate", { 0, 1 } },
                                           BadFormatCase { "negativeRate", { -44100, 1 } },
                                           BadFormatCase { "infiniteRate", { INFINITY, 1 } }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(TakeConversionTest, ConvertsAWholeTakeIncludingTheTail)
{
    LogCapture logs;
    const auto take = sine(440, 48000, 1.0);
    const auto out = convertTakeToWhisperFormat(take, { 48000, 1 });
    EXPECT_NEAR(double(out.size()), 16000.0, 2.0);
    EXPECT_NEAR(rms(out, 200), 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_TRUE(logs.lines().isEmpty());
}

} // namespace
