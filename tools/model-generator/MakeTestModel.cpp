// Writes a whisper.cpp model file with random weights for tests and
// benchmarks:  parlowind-make-model SIZE OUTPUT [SEED]
#include "WhisperModelGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr,
                     "usage: %s SIZE OUTPUT [SEED]\n"
                     "SIZE: tiny.en tiny base.en base small.en small medium.en medium large-v3 "
                     "large-v3-turbo reduced\n",
                     argv[0]);
        return 2;
    }
    const auto shape = parlowind::tools::WhisperModelShape::named(argv[1]);
    if (!shape) {
        std::fprintf(stderr, "unknown model size \"%s\"\n", argv[1]);
        return 2;
    }
    try {
        const std::uint64_t seed = argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 1;
        parlowind::tools::writeRandomWhisperModel(argv[2], *shape, seed);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
