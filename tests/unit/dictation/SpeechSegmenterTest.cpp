#include "dictation/SpeechSegmenter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using namespace parlowind;
using Decision = SpeechSegmenter::Decision;

namespace {

constexpr double t0 = 86400.0;

// Feeds one level per 0.1 s tick, starting at t0 + 0.1, until a phrase ends;
// returns the tick number (1-based) and decision, or 0 when none ended.
struct Outcome
{
    int tick = 0;
    Decision decision;
};

Outcome run(const SpeechSegmenter &segmenter, SpeechSegmenter::State &state, const std::vector<float> &levels)
{
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const int tick = int(i) + 1;
        const Decision decision = segmenter.advance(state, levels[i], t0 + tick * 0.1);
        if (decision.isEndPhrase())
            return { tick, decision };
    }
    return {};
}

std::vector<float> levels(std::initializer_list<std::pair<int, float>> runs)
{
    std::vector<float> all;
    for (auto [count, level] : runs)
        all.insert(all.end(), count, level);
    return all;
}

TEST(SpeechSegmenterTest, SilenceAloneNeverEndsAPhrase)
{
    const SpeechSegmenter segmenter;
    SpeechSegmenter::State state(t0);
    EXPECT_EQ(run(segmenter, state, levels({ { 3000, 0.005f } })).tick, 0); // five minutes
    EXPECT_EQ(state.totalTicks, 3000);
    EXPECT_EQ(state.speechTicks, 0);
    EXPECT_FALSE(state.lastSpeechAt);
}

TEST(SpeechSegmenterTest, PauseEndsThePhraseWhenTheSilenceHasLastedLongEnough)
{
    const SpeechSegmenter segmenter;
    SpeechSegmenter::State state(t0);
    // Speech through 1.0 s; the silence starts at the quiet tick of 1.1 s and
    // has lasted 0.7 s at 1.8 s.
    const auto outcome = run(segmenter, state, levels({ { 10, 0.2f }, { 20, 0.0f } }));
    EXPECT_EQ(outcome.tick, 18);
    EXPECT_EQ(outcome.decision, Decision::endPhrase(Decision::Reason::pause));
    ASSERT_TRUE(state.silenceStartedAt);
    EXPECT_NEAR(*state.silenceStartedAt, t0 + 1.1, 1e-9);
    ASSERT_TRUE(state.lastSpeechAt);
    EXPECT_NEAR(*state.lastSpeechAt, t0 + 1.0, 1e-9);
    EXPECT_EQ(state.speechTicks, 10);
    EXPECT_EQ(state.totalTicks, 18);
    EXPECT_FLOAT_EQ(state.peakLevel, 0.2f);
}

TEST(SpeechSegmenterTest, SpeechResumingBeforeThePauseKeepsThePhraseGoing)
{
    const SpeechSegmenter segmenter;
    SpeechSegmenter::State state(t0);
    const auto outcome = run(segmenter, state, levels({ { 5, 0.2f }, { 6, 0.0f }, { 5, 0.2f }, { 20, 0.0f } }));
    EXPECT_EQ(outcome.tick, 24); // the second silence starts at tick 17 and has lasted 0.7 s at tick 24
}

TEST(SpeechSegmenterTest, ShortPhraseWaitsForTheMinimumLengthWhenThePauseIsShorter)
{
    SpeechSegmenter::Parameters parameters;
    parameters.pauseSeconds = 0.2;
    parameters.minPhraseSeconds = 0.8;
    const SpeechSegmenter segmenter(parameters);
    SpeechSegmenter::State state(t0);
    const auto outcome = run(segmenter, state, levels({ { 1, 0.2f }, { 20, 0.0f } }));
    EXPECT_EQ(outcome.tick, 8); // the pause was long enough at 0.4 s, the phrase only at 0.8 s
    EXPECT_EQ(outcome.decision, Decision::endPhrase(Decision::Reason::pause));
}

TEST(SpeechSegmenterTest, UninterruptedSpeechIsCutAtTheMaximumLength)
{
    const SpeechSegmenter segmenter;
    SpeechSegmenter::State state(t0);
    const auto outcome = run(segmenter, state, levels({ { 400, 0.3f } }));
    EXPECT_EQ(outcome.tick, 200);
    EXPECT_EQ(outcome.decision, Decision::endPhrase(Decision::Reason::maximumLength));
}

TEST(SpeechSegmenterTest, LongSilenceBeforeTheFirstWordsDoesNotCutThem)
{
    const SpeechSegmenter segmenter;
    SpeechSegmenter::State state(t0);
    // Half a minute of silence, then a second of speech: the length limit
    // counts from the speech, so the phrase ends at the pause with all of it.
    const auto outcome = run(segmenter, state, levels({ { 300, 0.0f }, { 10, 0.2f }, { 20, 0.0f } }));
    EXPECT_EQ(outcome.tick, 318);
    EXPECT_EQ(outcome.decision, Decision::endPhrase(Decision::Reason::pause));
    EXPECT_EQ(state.speechTicks, 10);
    EXPECT_TRUE(segmenter.isWorthTranscribing(state));
}

TEST(SpeechSegmenterTest, LevelAtTheThresholdCountsAsSpeech)
{
    const SpeechSegmenter segmenter;
    SpeechSegmenter::State state(t0);
    segmenter.advance(state, 0.01f, t0 + 0.1);
    EXPECT_EQ(state.speechTicks, 1);
    EXPECT_TRUE(state.lastSpeechAt);
    EXPECT_FALSE(state.silenceStartedAt);
    EXPECT_FALSE(segmenter.isSpeech(0.0099f));
}

struct WorthCase
{
    const char *name;
    friend void PrintTo(const WorthCase &row, std::ostream *out) { *out << row.name; }
    float peak;
    int speechTicks;
    bool worth;
};

class WorthTest : public ::testing::TestWithParam<WorthCase>
{
};

TEST_P(WorthTest, NeedsBothALoudEnoughPeakAndEnoughSpeech)
{
    const SpeechSegmenter segmenter;
    SpeechSegmenter::State state(t0);
    state.peakLevel = GetParam().peak;
    state.speechTicks = GetParam().speechTicks;
    state.totalTicks = 10;
    EXPECT_EQ(segmenter.isWorthTranscribing(state), GetParam().worth);
}

INSTANTIATE_TEST_SUITE_P(Rule, WorthTest,
                         ::testing::Values(WorthCase { "QuietPeak", 0.034f, 10, false },
                                           WorthCase { "JustLoudEnoughAndLongEnough", 0.035f, 3, true },
                                           WorthCase { "TooLittleSpeech", 0.035f, 2, false }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SpeechSegmenterTest, DerivedMeasures)
{
    const SpeechSegmenter segmenter;
    SpeechSegmenter::State state(t0);
    EXPECT_EQ(segmenter.speechFraction(state), 0.0);
    state.speechTicks = 3;
    state.totalTicks = 12;
    EXPECT_DOUBLE_EQ(segmenter.speechFraction(state), 0.25);
    EXPECT_NEAR(segmenter.audibleSeconds(state), 0.3, 1e-12);
    EXPECT_FALSE(SpeechSegmenter::shouldGiveUp(t0, t0 + 599.9, 600));
    EXPECT_TRUE(SpeechSegmenter::shouldGiveUp(t0, t0 + 600, 600));
}

} // namespace
