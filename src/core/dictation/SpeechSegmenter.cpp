#include "SpeechSegmenter.h"

#include <algorithm>

namespace parlowind {

SpeechSegmenter::Decision SpeechSegmenter::advance(State &state, float level, double now) const
{
    state.peakLevel = std::max(state.peakLevel, level);
    ++state.totalTicks;
    const bool speaking = isSpeech(level);
    if (speaking) {
        ++state.speechTicks;
        state.lastSpeechAt = now;
        state.silenceStartedAt.reset();
    } else if (!state.silenceStartedAt) {
        state.silenceStartedAt = now;
    }

    if (!state.lastSpeechAt) {
        // Until speech is heard the phrase start follows the silence, so the
        // length limit counts from just before the first speech. Otherwise a
        // phrase that opened with more than the limit of silence would be cut
        // on its first speech tick, and that cut, too short to transcribe,
        // would throw away the beginning of what was said.
        state.phraseStartedAt = now;
        return Decision::keepListening();
    }

    const double length = now - state.phraseStartedAt;
    if (length >= m_parameters.maxPhraseSeconds - tolerance)
        return Decision::endPhrase(Decision::Reason::maximumLength);
    if (!speaking && length >= m_parameters.minPhraseSeconds - tolerance
        && now - *state.silenceStartedAt >= m_parameters.pauseSeconds - tolerance)
        return Decision::endPhrase(Decision::Reason::pause);
    return Decision::keepListening();
}

bool SpeechSegmenter::isWorthTranscribing(const State &state) const
{
    // Speech ticks are counted, so compare the seconds with the same rounding
    // slack as the tick times: three ticks of 0.1 s are 0.3 s of speech.
    return peakLevelPassed(state) && m_parameters.minSpeechSeconds <= audibleSeconds(state) + tolerance;
}

double SpeechSegmenter::speechFraction(const State &state) const
{
    if (state.totalTicks <= 0)
        return 0;
    return static_cast<double>(state.speechTicks) / state.totalTicks;
}

bool SpeechSegmenter::shouldGiveUp(double lastActivityAt, double now, double limit)
{
    return limit <= now - lastActivityAt + tolerance;
}

} // namespace parlowind
