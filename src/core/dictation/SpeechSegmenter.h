#pragma once

#include <optional>

namespace parlowind {

// The phrase-cutting rule of continuous listening and of meeting channels:
// fed one input level per tick, it decides when a pause or the length limit
// ends the phrase, and whether what was heard is worth transcribing. Pure:
// the caller keeps the per-phrase State.
class SpeechSegmenter final
{
public:
    static constexpr float defaultSilenceThreshold = 0.01f;
    static constexpr float defaultSpeechConfidenceThreshold = 0.035f;
    static constexpr double defaultMinSpeechSeconds = 0.3;
    static constexpr double defaultTickSeconds = 0.1;
    static constexpr double defaultPauseSeconds = 0.7;
    static constexpr double defaultMinPhraseSeconds = 0.4;
    static constexpr double defaultMaxPhraseSeconds = 20;

    // Ticks come from a clock in seconds since boot; time differences carry
    // rounding noise, which must not move a cut by a whole tick.
    static constexpr double tolerance = 1e-6;

    // Progress of the phrase being built.
    struct State
    {
        State() = default;
        explicit State(double phraseStartedAt)
            : phraseStartedAt(phraseStartedAt)
        { }

        double phraseStartedAt = 0; // moves with each tick until speech is heard
        std::optional<double> lastSpeechAt; // absent until speech is heard
        std::optional<double> silenceStartedAt; // absent while speaking
        float peakLevel = 0;
        int speechTicks = 0;
        int totalTicks = 0;

        bool operator==(const State &) const = default;
    };

    struct Decision
    {
        enum class Kind { keepListening, endPhrase };
        enum class Reason { none, pause, maximumLength };

        Kind kind = Kind::keepListening;
        Reason reason = Reason::none;

        static Decision keepListening() { return {}; }
        static Decision endPhrase(Reason reason) { return { Kind::endPhrase, reason }; }
        bool isEndPhrase() const { return kind == Kind::endPhrase; }

        bool operator==(const Decision &) const = default;
    };

    struct Parameters
    {
        float silenceThreshold = defaultSilenceThreshold;
        float speechConfidenceThreshold = defaultSpeechConfidenceThreshold;
        double minSpeechSeconds = defaultMinSpeechSeconds;
        double tickSeconds = defaultTickSeconds;
        double pauseSeconds = defaultPauseSeconds;
        double minPhraseSeconds = defaultMinPhraseSeconds;
        double maxPhraseSeconds = defaultMaxPhraseSeconds;
    };

    SpeechSegmenter() = default;
    explicit SpeechSegmenter(const Parameters &parameters)
        : m_parameters(parameters)
    { }

    float silenceThreshold() const { return m_parameters.silenceThreshold; }
    float speechConfidenceThreshold() const { return m_parameters.speechConfidenceThreshold; }
    double minSpeechSeconds() const { return m_parameters.minSpeechSeconds; }
    double tickSeconds() const { return m_parameters.tickSeconds; }
    double pauseSeconds() const { return m_parameters.pauseSeconds; }
    double minPhraseSeconds() const { return m_parameters.minPhraseSeconds; }
    double maxPhraseSeconds() const { return m_parameters.maxPhraseSeconds; }

    bool isSpeech(float level) const { return level >= m_parameters.silenceThreshold; }

    // One tick: records `level` heard at `now` in `state` and says whether the
    // phrase ends here. Never resets `state`; the caller starts a fresh one.
    Decision advance(State &state, float level, double now) const;

    double audibleSeconds(const State &state) const { return m_parameters.tickSeconds * state.speechTicks; }
    bool peakLevelPassed(const State &state) const { return state.peakLevel >= m_parameters.speechConfidenceThreshold; }
    bool isWorthTranscribing(const State &state) const;
    double speechFraction(const State &state) const;

    static bool shouldGiveUp(double lastActivityAt, double now, double limit);

private:
    Parameters m_parameters;
};

} // namespace parlowind
