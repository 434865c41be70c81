#include "speech/WavReader.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace parlowind;

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// A WAV file with the given format chunk fields and raw sample bytes.
QByteArray wav(quint16 encoding, int channels, int rate, int bits, const QByteArray &data, bool extensible = false,
               const QByteArray &extraChunk = {})
{
    QByteArray fmt;
    put16(fmt, extensible ? 0xFFFE : encoding);
    put16(fmt, quint16(channels));
    put32(fmt, quint32(rate));
    put32(fmt, quint32(rate * channels * bits / 8));
    put16(fmt, quint16(channels * bits / 8));
    put16(fmt, quint16(bits));
    if (extensible) {
        put16(fmt, 22);
        put16(fmt, quint16(bits));
        put32(fmt, 0);
        put16(fmt, encoding); // sub-format GUID starts with the plain format code
        fmt.append(QByteArray::fromHex("000000001000800000aa00389b71"));
    }
    QByteArray body = "WAVE";
    body += "fmt ";
    put32(body, quint32(fmt.size()));
    body += fmt;
    body += extraChunk;
    body += "data";
    put32(body, quint32(data.size()));
    body += data;
    QByteArray file = "RIFF";
    put32(file, quint32(body.size()));
    return file + body;
}

struct FormatCase
{
    const char *name;
    QByteArray file;
    std::vector<float> expected;
    int channels;
};

void PrintTo(const FormatCase &c, std::ostream *os)
{
    *os << c.name;
}

class WavFormatTest : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(WavFormatTest, DecodesSamplesToFloats)
{
    const WavAudio audio = parseWav(GetParam().file, QStringLiteral("x.wav"));
    EXPECT_EQ(audio.sampleRate, 22050);
    EXPECT_EQ(audio.channels, GetParam().channels);
    ASSERT_EQ(audio.samples.size(), GetParam().expected.size());
    for (size_t i = 0; i < audio.samples.size(); ++i)
        EXPECT_NEAR(audio.samples[i], GetParam().expected[i], 1e-6) << i;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray floats32(std::initializer_list<float> values)
{
    QByteArray out;
    for (float v : values)
        out.append(reinterpret_cast<const char *>(&v), 4);
    return out;
}

QByteArray floats64(std::initializer_list<double> values)
{
    QByteArray out;
    for (double v : values)
        out.append(reinterpret_cast<const char *>(&v), 8);
    return out;
}

const QByteArray oddChunk = QByteArray("LIST") + bytes({ 3, 0, 0, 0 }) + "abc" + bytes({ 0 }); // padded

INSTANTIATE_TEST_SUITE_P(
    Formats, WavFormatTest,
    ::testing::Values(
        FormatCase { "Pcm8", wav(1, 1, 22050, 8, bytes({ 0, 128, 255 })), { -1.0f, 0.0f, 127.0f / 128 }, 1 },
        FormatCase { "Pcm16Stereo",
                     wav(1, 2, 22050, 16, bytes({ 0x00, 0x80, 0xFF, 0x7F, 0x00, 0x40, 0, 0 })),
                     { -1.0f, 32767.0f / 32768, 0.5f, 0.0f },
                     2 },
        FormatCase { "Pcm24",
                     wav(1, 1, 22050, 24, bytes({ 0, 0, 0x80, 0xFF, 0xFF, 0x7F, 0, 0, 0x40 })),
                     { -1.0f, 8388607.0f / 8388608, 0.5f },
                     1 },
        FormatCase { "Pcm32", wav(1, 1, 22050, 32, bytes({ 0, 0, 0, 0xC0 })), { -0.5f }, 1 },
        FormatCase { "Float32", wav(3, 1, 22050, 32, floats32({ 0.25f, -0.75f })), { 0.25f, -0.75f }, 1 },
        FormatCase { "Float64", wav(3, 1, 22050, 64, floats64({ 0.125, 1.0 })), { 0.125f, 1.0f }, 1 },
        FormatCase { "Extensible16", wav(1, 1, 22050, 16, bytes({ 0x00, 0x40 }), true), { 0.5f }, 1 },
        FormatCase {
            "SkipsOtherChunksWithPadding", wav(1, 1, 22050, 16, bytes({ 0x00, 0xC0 }), false, oddChunk), { -0.5f }, 1 },
        FormatCase { "TruncatedDataKeepsWholeFrames",
                     wav(1, 2, 22050, 16, bytes({ 0x00, 0x40, 0x00, 0x40, 0x00 })).left(44 + 5),
                     { 0.5f, 0.5f },
                     2 }),
    [](const auto &info) { return std::string(info.param.name); });

struct BadCase
{
    const char *name;
    QByteArray file;
    const char *reason;
};

void PrintTo(const BadCase &c, std::ostream *os)
{
    *os << c.name;
}

class WavRejectTest : public ::testing::TestWithParam<BadCase>
{
};

TEST_P(WavRejectTest, RejectsWithAReason)
{
    try {
        parseWav(GetParam().file, QStringLiteral("in.wav"));
        FAIL() << "accepted";
    } catch (const WavReadError &error) {
        EXPECT_TRUE(error.reason().contains(QString::fromLatin1(GetParam().reason))) << error.reason().toStdString();
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("in.wav: ")));
    }
}

QByteArray withoutData()
{
    QByteArray file = wav(1, 1, 16000, 16, {});
    return file.left(file.indexOf("data"));
}

INSTANTIATE_TEST_SUITE_P(Cases, WavRejectTest,
                         ::testing::Values(BadCase { "Text", "hello, this is not audio", "not a WAV file" },
                                           BadCase { "Empty", {}, "not a WAV file" },
                                           BadCase { "Adpcm", wav(2, 1, 16000, 4, bytes({ 1, 2 })), "unsupported" },
                                           BadCase { "Pcm12", wav(1, 1, 16000, 12, bytes({ 1, 2 })), "unsupported" },
                                           BadCase { "NoData", withoutData(), "without audio data" },
                                           BadCase { "ZeroChannels", wav(1, 0, 16000, 16, bytes({ 1, 2 })),
                                                     "damaged" }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(WavFile, MissingFileIsAReadError)
{
    EXPECT_THROW(readWavFile(QStringLiteral("/nonexistent/a.wav")), WavReadError);
}

WavAudio tone(double hz, int rate, int channels, double seconds, float amplitude = 0.5f)
{
    WavAudio audio;
    audio.sampleRate = rate;
    audio.channels = channels;
    const int frames = int(seconds * rate);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            audio.samples.push_back(amplitude * float(std::sin(2 * std::numbers::pi * hz * i / rate)));
    return audio;
}

// Amplitude of the `hz` component (by correlation), away from the edges.
double amplitudeAt(const std::vector<float> &samples, double hz)
{
    double re = 0, im = 0;
    const size_t margin = 800;
    for (size_t i = margin; i + margin < samples.size(); ++i) {
        re += samples[i] * std::cos(2 * std::numbers::pi * hz * double(i) / 16000);
        im += samples[i] * std::sin(2 * std::numbers::pi * hz * double(i) / 16000);
    }
    return 2 * std::hypot(re, im) / double(samples.size() - 2 * margin);
}

TEST(EngineSamples, SixteenKilohertzMonoPassesUnchanged)
{
    const WavAudio audio = tone(440, 16000, 1, 0.1);
    EXPECT_EQ(toEngineSamples(audio), audio.samples);
}

TEST(EngineSamples, DownsamplesStereoKeepingTheToneAndItsLevel)
{
    const std::vector<float> out = toEngineSamples(tone(1000, 48000, 2, 1.0));
    EXPECT_EQ(out.size(), 16000u);
    EXPECT_NEAR(amplitudeAt(out, 1000), 0.5, 0.01);
}

TEST(EngineSamples, RemovesTonesAboveTheNewNyquistInsteadOfAliasingThem)
{
    // 11 kHz at 44.1 kHz would fold to 5 kHz in a naive decimation.
    const std::vector<float> out = toEngineSamples(tone(11000, 44100, 1, 1.0));
    EXPECT_NEAR(double(out.size()), 16000.0, 1.0);
    EXPECT_LT(amplitudeAt(out, 5000), 0.01);
}

TEST(EngineSamples, UpsamplesAndMixesChannels)
{
    WavAudio audio = tone(500, 8000, 2, 0.5);
    for (size_t i = 1; i < audio.samples.size(); i += 2)
        audio.samples[i] = 0; // right channel silent: the mix halves the level
    const std::vector<float> out = toEngineSamples(audio);
    EXPECT_EQ(out.size(), 8000u);
    EXPECT_NEAR(amplitudeAt(out, 500), 0.25, 0.01);
}

} // namespace
