#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace parlowind::tools {

// The dimensions of a Whisper model, as whisper.cpp reads them from a model
// file's header.
struct WhisperModelShape
{
    std::string name;
    int vocabularySize = 51864;
    int audioContext = 1500;
    int audioState = 384;
    int audioHeads = 6;
    int audioLayers = 4;
    int textContext = 448;
    int textState = 384;
    int textHeads = 6;
    int textLayers = 4;
    int melBands = 80;

    // The published sizes ("tiny.en", "tiny", "base.en", "base", "small.en",
    // "small", "medium.en", "medium", "large-v3", "large-v3-turbo") and
    // "reduced": the tensor layout of a real model with tiny dimensions, which
    // loads and runs in milliseconds.
    static std::optional<WhisperModelShape> named(const std::string &name);
};

// Writes a whisper.cpp model file (ggml format, 16-bit weights) with the real
// tensor names and shapes of `shape` and random weights drawn from `seed`. Its
// compute cost is that of the real model; its text is meaningless. Throws
// std::runtime_error when the file cannot be written.
void writeRandomWhisperModel(const std::string &path, const WhisperModelShape &shape, std::uint64_t seed = 1);

} // namespace parlowind::tools
