#include "WhisperModelGenerator.h"

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace parlowind::tools {

namespace {

constexpr std::uint32_t ggmlMagic = 0x67676d6c;
constexpr int typeF32 = 0;
constexpr int typeF16 = 1;
constexpr int fftSize = 400;
constexpr int sampleRate = 16000;
// The text tokens a model file carries; whisper.cpp adds the special tokens.
constexpr int textTokenCount = 50257;

// Fast deterministic generator: the weights need no statistical quality,
// only the right cost.
class Random
{
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed * 0x9E3779B97F4A7C15ull + 1)
    { }
    // Uniform in [-1, 1).
    float next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return float(m_state >> 40) / float(1 << 23) - 1.0f;
    }

private:
    std::uint64_t m_state;
};

std::uint16_t toHalf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint32_t sign = (bits >> 16) & 0x8000;
    const int exponent = int((bits >> 23) & 0xFF) - 127 + 15;
    const std::uint32_t mantissa = bits & 0x7FFFFF;
    if (exponent <= 0)
        return std::uint16_t(sign); // tiny values become zero
    if (exponent >= 31)
        return std::uint16_t(sign | 0x7C00);
    return std::uint16_t(sign | (std::uint32_t(exponent) << 10) | (mantissa >> 13));
}

class ModelWriter
{
public:
    ModelWriter(const std::string &path, std::uint64_t seed)
        : m_out(path, std::ios::binary | std::ios::trunc)
        , m_random(seed)
    {
        if (!m_out)
            throw std::runtime_error("cannot write " + path);
    }

    void i32(std::int32_t value) { m_out.write(reinterpret_cast<const char *>(&value), sizeof value); }
    void f32(float value) { m_out.write(reinterpret_cast<const char *>(&value), sizeof value); }
    void bytes(const std::string &text) { m_out.write(text.data(), std::streamsize(text.size())); }

    enum class Fill { random, ones, zeros };

    // One tensor: dimensions innermost first, as ggml counts them.
    void tensor(const std::string &name, std::vector<int> dims, int type, Fill fill, float scale = 0.02f)
    {
        i32(std::int32_t(dims.size()));
        i32(std::int32_t(name.size()));
        i32(type);
        std::size_t count = 1;
        for (int d : dims) {
            i32(d);
            count *= std::size_t(d);
        }
        bytes(name);
        const float amplitude = scale * std::sqrt(3.0f); // uniform with standard deviation `scale`
        constexpr std::size_t block = 1 << 16;
        std::vector<std::uint16_t> halves(type == typeF16 ? block : 0);
        std::vector<float> floats(type == typeF16 ? 0 : block);
        for (std::size_t done = 0; done < count;) {
            const std::size_t n = std::min(block, count - done);
            for (std::size_t i = 0; i < n; ++i) {
                const float value = fill == Fill::ones ? 1.0f
                    : fill == Fill::zeros              ? 0.0f
                                                       : m_random.next() * amplitude;
                if (type == typeF16)
                    halves[i] = toHalf(value);
                else
                    floats[i] = value;
            }
            if (type == typeF16)
                m_out.write(reinterpret_cast<const char *>(halves.data()), std::streamsize(n * sizeof(std::uint16_t)));
            else
                m_out.write(reinterpret_cast<const char *>(floats.data()), std::streamsize(n * sizeof(float)));
            done += n;
        }
    }

    void finish(const std::string &path)
    {
        m_out.flush();
        if (!m_out)
            throw std::runtime_error("writing " + path + " failed");
    }

private:
    std::ofstream m_out;
    Random m_random;
};

double hzToMel(double hz)
{
    // Linear below 1 kHz, logarithmic above (the Slaney scale Whisper uses).
    constexpr double linearStep = 200.0 / 3.0;
    if (hz < 1000.0)
        return hz / linearStep;
    return 1000.0 / linearStep + std::log(hz / 1000.0) / (std::log(6.4) / 27.0);
}

double melToHz(double mel)
{
    constexpr double linearStep = 200.0 / 3.0;
    constexpr double breakMel = 1000.0 / linearStep;
    if (mel < breakMel)
        return mel * linearStep;
    return 1000.0 * std::exp((std::log(6.4) / 27.0) * (mel - breakMel));
}

// Triangular filters spread evenly on the mel scale up to 8 kHz, each
// normalised to unit area.
std::vector<float> melFilters(int bands)
{
    const int bins = fftSize / 2 + 1;
    std::vector<double> edges(std::size_t(bands + 2));
    const double top = hzToMel(sampleRate / 2.0);
    for (int i = 0; i < bands + 2; ++i)
        edges[std::size_t(i)] = melToHz(top * i / (bands + 1));
    std::vector<float> filters(std::size_t(bands * bins), 0.0f);
    for (int m = 0; m < bands; ++m) {
        const double low = edges[std::size_t(m)], centre = edges[std::size_t(m + 1)], high = edges[std::size_t(m + 2)];
        const double norm = 2.0 / (high - low);
        for (int k = 0; k < bins; ++k) {
            const double hz = double(k) * sampleRate / fftSize;
            const double rising = (hz - low) / (centre - low);
            const double falling = (high - hz) / (high - centre);
            const double weight = std::max(0.0, std::min(rising, falling));
            filters[std::size_t(m * bins + k)] = float(weight * norm);
        }
    }
    return filters;
}

std::string tokenText(int id)
{
    // whisper.cpp looks these three up by text and aborts without them.
    static const std::array<const char *, 3> required = { " ", " -", " '" };
    static const std::array<const char *, 24> words
        = { " the", " and", " you", " to",  " a",    " of",   " it",  " that", " is",      " in", " we", " for",
            " so",  " my",  " do",  " can", " what", " your", " ask", " not",  " country", ".",   ",",   "!" };
    if (id < int(required.size()))
        return required[std::size_t(id)];
    if (id - int(required.size()) < int(words.size()))
        return words[std::size_t(id) - required.size()];
    if (id == textTokenCount - 1)
        return "<|endoftext|>";
    // Pronounceable filler, unique per id.
    static const char *syllables[] = { "ba", "ko", "ri", "mu", "te", "sa", "lo", "ne" };
    std::string text = " ";
    for (int rest = id; rest > 0; rest /= 8)
        text += syllables[rest % 8];
    return text;
}

} // namespace

std::optional<WhisperModelShape> WhisperModelShape::named(const std::string &name)
{
    auto sized = [&](int vocabulary, int state, int heads, int audioLayers, int textLayers, int mels = 80) {
        WhisperModelShape shape;
        shape.name = name;
        shape.vocabularySize = vocabulary;
        shape.audioState = shape.textState = state;
        shape.audioHeads = shape.textHeads = heads;
        shape.audioLayers = audioLayers;
        shape.textLayers = textLayers;
        shape.melBands = mels;
        return shape;
    };
    constexpr int english = 51864, multilingual = 51865, v3 = 51866;
    if (name == "tiny.en")
        return sized(english, 384, 6, 4, 4);
    if (name == "tiny")
        return sized(multilingual, 384, 6, 4, 4);
    if (name == "base.en")
        return sized(english, 512, 8, 6, 6);
    if (name == "base")
        return sized(multilingual, 512, 8, 6, 6);
    if (name == "small.en")
        return sized(english, 768, 12, 12, 12);
    if (name == "small")
        return sized(multilingual, 768, 12, 12, 12);
    if (name == "medium.en")
        return sized(english, 1024, 16, 24, 24);
    if (name == "medium")
        return sized(multilingual, 1024, 16, 24, 24);
    if (name == "large-v3")
        return sized(v3, 1280, 20, 32, 32, 128);
    if (name == "large-v3-turbo")
        return sized(v3, 1280, 20, 32, 4, 128);
    if (name == "reduced") {
        // Token ids are fixed by the vocabulary size, so it stays; the rest shrinks.
        WhisperModelShape shape = sized(english, 64, 2, 1, 1);
        shape.textContext = 64;
        return shape;
    }
    return std::nullopt;
}

void writeRandomWhisperModel(const std::string &path, const WhisperModelShape &shape, std::uint64_t seed)
{
    using Fill = ModelWriter::Fill;
    ModelWriter out(path, seed);

    out.i32(std::int32_t(ggmlMagic));
    for (int value : { shape.vocabularySize, shape.audioContext, shape.audioState, shape.audioHeads, shape.audioLayers,
                       shape.textContext, shape.textState, shape.textHeads, shape.textLayers, shape.melBands, typeF16 })
        out.i32(value);

    out.i32(shape.melBands);
    out.i32(fftSize / 2 + 1);
    for (float weight : melFilters(shape.melBands))
        out.f32(weight);

    out.i32(textTokenCount);
    for (int id = 0; id < textTokenCount; ++id) {
        const std::string text = tokenText(id);
        out.i32(std::int32_t(text.size()));
        out.bytes(text);
    }

    const int a = shape.audioState;
    const int t = shape.textState;
    auto layerNorm = [&](const std::string &prefix, int width) {
        out.tensor(prefix + ".weight", { width }, typeF32, Fill::ones);
        out.tensor(prefix + ".bias", { width }, typeF32, Fill::zeros);
    };
    auto linear = [&](const std::string &prefix, int in, int outWidth, bool bias) {
        out.tensor(prefix + ".weight", { in, outWidth }, typeF16, Fill::random);
        if (bias)
            out.tensor(prefix + ".bias", { outWidth }, typeF32, Fill::zeros);
    };
    auto attention = [&](const std::string &prefix, int width) {
        linear(prefix + ".query", width, width, true);
        linear(prefix + ".key", width, width, false);
        linear(prefix + ".value", width, width, true);
        linear(prefix + ".out", width, width, true);
    };
    auto mlp = [&](const std::string &prefix, int width) {
        linear(prefix + ".mlp.0", width, 4 * width, true);
        linear(prefix + ".mlp.2", 4 * width, width, true);
        layerNorm(prefix + ".mlp_ln", width);
    };

    out.tensor("encoder.positional_embedding", { a, shape.audioContext }, typeF32, Fill::random, 0.5f);
    out.tensor("encoder.conv1.weight", { 3, shape.melBands, a }, typeF16, Fill::random, 0.1f);
    out.tensor("encoder.conv1.bias", { 1, a }, typeF32, Fill::zeros);
    out.tensor("encoder.conv2.weight", { 3, a, a }, typeF16, Fill::random, 0.05f);
    out.tensor("encoder.conv2.bias", { 1, a }, typeF32, Fill::zeros);
    layerNorm("encoder.ln_post", a);
    for (int i = 0; i < shape.audioLayers; ++i) {
        const std::string block = "encoder.blocks." + std::to_string(i);
        attention(block + ".attn", a);
        layerNorm(block + ".attn_ln", a);
        mlp(block, a);
    }

    out.tensor("decoder.positional_embedding", { t, shape.textContext }, typeF32, Fill::random);
    out.tensor("decoder.token_embedding.weight", { t, shape.vocabularySize }, typeF16, Fill::random);
    layerNorm("decoder.ln", t);
    for (int i = 0; i < shape.textLayers; ++i) {
        const std::string block = "decoder.blocks." + std::to_string(i);
        attention(block + ".attn", t);
        layerNorm(block + ".attn_ln", t);
        attention(block + ".cross_attn", t);
        layerNorm(block + ".cross_attn_ln", t);
        mlp(block, t);
    }
    out.finish(path);
}

} // namespace parlowind::tools
