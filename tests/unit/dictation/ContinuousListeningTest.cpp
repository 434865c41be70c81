// Continuous listening: phrases cut at pauses and at the length limit,
// delivered strictly in order with separators, and the ways a session ends.
#include "CoordinatorFixture.h"

using namespace parlowind;
using namespace parlowind::test;
using ::testing::ElementsAre;

namespace {

using ContinuousTest = CoordinatorTest;

TEST_F(ContinuousTest, PhrasesAreDeliveredAsTheyComeAndJoinedLikeSentences)
{
    startSession();
    calls->clear();
    states.clear();

    speakPhrase(1.0);
    EXPECT_EQ(logs.linesStartingWith(QStringLiteral("phrase cut:")),
              list({ "phrase cut: 16000 samples, peak 0.2, audible 1s, transcribing true" }));
    ASSERT_EQ(engine->calls().size(), 1u);
    EXPECT_EQ(engine->calls()[0].samples.size(), 16000u);
    EXPECT_EQ(engine->calls()[0].initialPrompt, QStringLiteral("Parlowind, Kubernetes"));
    EXPECT_EQ(state(), DictationState::listening(true));
    engine->complete(0, QStringLiteral("hello there"));
    EXPECT_EQ(state(), DictationState::listening(false));

    focus->setContext(FakeFocusCapture::app(QStringLiteral("Chat"), QStringLiteral("org.example.Chat")));
    speakPhrase(1.0);
    ASSERT_EQ(engine->calls().size(), 2u);
    EXPECT_EQ(engine->calls()[1].initialPrompt, QStringLiteral("Parlowind, Kubernetes hello there"));
    engine->complete(1, QStringLiteral("Nice to meet you"));

    speakPhrase(1.0);
    engine->complete(2, QStringLiteral("we should talk soon"));

    EXPECT_EQ(delivery->texts(), list({ "hello there", ". Nice to meet you", " we should talk soon" }));
    EXPECT_EQ(transcripts, list({ "hello there", "Nice to meet you", "we should talk soon" }));
    EXPECT_EQ(delivery->deliveries()[0].context.appName, QStringLiteral("Editor"));
    EXPECT_EQ(delivery->deliveries()[1].context.appName, QStringLiteral("Chat"));
    EXPECT_EQ(coordinator->lastDeliveredPhrase(), QStringLiteral("we should talk soon"));
    EXPECT_THAT(states,
                ElementsAre(DictationState::listening(true), DictationState::listening(false),
                            DictationState::listening(true), DictationState::listening(false),
                            DictationState::listening(true), DictationState::listening(false)));
    EXPECT_EQ(calls->calls().mid(0, 5),
              list({ "capture.drain", "engine.transcribe", "focus.capture", "deliver hello there", "capture.drain" }));
}

TEST_F(ContinuousTest, PhrasesWaitForTheOneBeforeThem)
{
    startSession();
    speakPhrase(1.0);
    speakPhrase(1.0);
    speakPhrase(1.0);
    EXPECT_EQ(engine->calls().size(), 1u); // one transcription at a time, in order
    engine->complete(0, QStringLiteral("one"));
    ASSERT_EQ(engine->calls().size(), 2u);
    engine->complete(1, QStringLiteral("two"));
    ASSERT_EQ(engine->calls().size(), 3u);
    engine->complete(2, QStringLiteral("three"));
    EXPECT_EQ(delivery->texts(), list({ "one", " two", " three" }));
    EXPECT_EQ(state(), DictationState::listening(false));
}

TEST_F(ContinuousTest, UninterruptedSpeechIsCutAtTwentySeconds)
{
    startSession();
    speak(19.9);
    EXPECT_TRUE(engine->calls().empty());
    speak(0.2);
    ASSERT_EQ(engine->calls().size(), 1u);
    EXPECT_EQ(logs.linesStartingWith(QStringLiteral("phrase cut:")).size(), 1);
}

TEST_F(ContinuousTest, QuietPhraseIsDroppedWithItsAudio)
{
    startSession();
    calls->clear();
    speakPhrase(1.0, 0.02f);
    EXPECT_TRUE(engine->calls().empty());
    EXPECT_EQ(calls->calls(), list({ "capture.drain" }));
    EXPECT_EQ(logs.linesStartingWith(QStringLiteral("phrase cut:")),
              list({ "phrase cut: 16000 samples, peak 0.02, audible 1s, transcribing false" }));
    EXPECT_EQ(capture->bufferedSamples(), 0u);
}

TEST_F(ContinuousTest, PressWhileAPhraseIsTranscribingQueuesTheTailBehindIt)
{
    startSession();
    speakPhrase(1.0);
    speak(0.5);
    calls->clear();
    press();
    EXPECT_EQ(calls->take(), list({ "hotkeys.unregister cancel", "capture.stop", "sound.listen-stop" }));
    EXPECT_EQ(logs.linesStartingWith(QStringLiteral("stopping:")),
              list({ "stopping: tail 8000 samples, peak 0.2, audible 0.5s" }));
    release(); // the release of the stopping press is ignored
    EXPECT_EQ(state(), DictationState::listening(true));
    EXPECT_EQ(engine->calls().size(), 1u);

    engine->complete(0, QStringLiteral("first part"));
    ASSERT_EQ(engine->calls().size(), 2u);
    EXPECT_EQ(engine->calls()[1].samples.size(), 8000u);
    EXPECT_EQ(state(), DictationState::listening(true));
    engine->complete(1, QStringLiteral("And the rest"));
    EXPECT_EQ(delivery->texts(), list({ "first part", ". And the rest" }));
    EXPECT_EQ(state(), DictationState::idle());
    EXPECT_FALSE(capture->isRunning());
}

TEST_F(ContinuousTest, StopWithNothingMoreToSayEndsAtOnce)
{
    startSession();
    speakPhrase(1.0);
    engine->complete(0, QStringLiteral("done"));
    states.clear();
    press();
    EXPECT_EQ(state(), DictationState::idle());
    EXPECT_THAT(states, ElementsAre(DictationState::idle()));
    EXPECT_EQ(engine->calls().size(), 1u);
    EXPECT_THAT(sounds->played(), ElementsAre(DictationCue::start, DictationCue::start, DictationCue::stop));

    // A new session forgets the last one: its first phrase has no separator.
    tap();
    clock->advance(0.2);
    tap();
    clock->advance(0.05);
    speakPhrase(1.0);
    engine->complete(1, QStringLiteral("Again"));
    EXPECT_EQ(delivery->texts(), list({ "done", "Again" }));
}

TEST_F(ContinuousTest, StopWaitsForPhrasesStillInFlightSoTheyKeepTheirSeparators)
{
    startSession();
    speakPhrase(1.0);
    engine->complete(0, QStringLiteral("one"));
    speakPhrase(1.0);
    press(); // nothing said since the cut: no final phrase
    EXPECT_EQ(state(), DictationState::listening(true));
    engine->complete(1, QStringLiteral("Two"));
    EXPECT_EQ(delivery->texts(), list({ "one", ". Two" }));
    EXPECT_EQ(state(), DictationState::idle());
}

TEST_F(ContinuousTest, TenMinutesOfSilenceEndTheSession)
{
    startSession();
    clock->advance(599.9);
    EXPECT_EQ(state(), DictationState::listening(false));
    clock->advance(0.1);
    EXPECT_EQ(state(), DictationState::idle());
    EXPECT_FALSE(capture->isRunning());
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::cancel));
    EXPECT_EQ(sounds->played().back(), DictationCue::stop);
    EXPECT_TRUE(engine->calls().empty());
}

TEST_F(ContinuousTest, SpeechPostponesTheSilenceGiveUp)
{
    startSession();
    clock->advance(300);
    speakPhrase(1.0);
    engine->complete(0, QStringLiteral("still here"));
    clock->advance(599.0);
    EXPECT_EQ(state(), DictationState::listening(false));
    clock->advance(1.0);
    EXPECT_EQ(state(), DictationState::idle());
}

TEST_F(ContinuousTest, CaptureStoppingUnderneathEndsTheSessionQuietly)
{
    startSession();
    calls->clear();
    capture->stopUnderneath();
    clock->advance(0.1);
    EXPECT_EQ(state(), DictationState::idle());
    EXPECT_EQ(calls->calls(), list({ "hotkeys.unregister cancel" })); // no cue, nothing to stop
    EXPECT_EQ(logs.linesStartingWith(QStringLiteral("continuous")),
              list({ "continuous session: capture stopped underneath us",
                     "continuous loop ended without stopContinuousListening; cleaning up" }));
    press(); // the next press records again
    EXPECT_EQ(state(), DictationState::recording());
}

TEST_F(ContinuousTest, EscapeAbandonsTheSessionAndEveryPhraseInIt)
{
    startSession();
    speakPhrase(1.0);
    speakPhrase(1.0);
    speak(0.5);
    calls->clear();
    escape();
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::userCancelled));
    EXPECT_EQ(calls->take(), list({ "capture.stop", "hotkeys.unregister cancel", "sound.listen-stop" }));

    // The phrase that was already transcribing is not typed after the cancel.
    engine->complete(0, QStringLiteral("never typed"));
    clock->advance(5);
    EXPECT_EQ(engine->calls().size(), 1u);
    EXPECT_TRUE(delivery->deliveries().empty());
    EXPECT_TRUE(transcripts.isEmpty());
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::userCancelled));
}

TEST_F(ContinuousTest, CancelWhileTheFinalPhraseTranscribesPlaysNoSecondStopCue)
{
    startSession();
    speak(1.0);
    press();
    ASSERT_EQ(engine->calls().size(), 1u);
    coordinator->cancel(DictationCancelReason::systemSleep);
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::systemSleep));
    EXPECT_THAT(sounds->played(), ElementsAre(DictationCue::start, DictationCue::start, DictationCue::stop));
    engine->complete(0, QStringLiteral("late"));
    EXPECT_TRUE(delivery->deliveries().empty());
}

TEST_F(ContinuousTest, PhraseThatFailsIsLoggedAndTheSessionGoesOn)
{
    startSession();
    speakPhrase(1.0);
    engine->fail(0, QStringLiteral("decoder error"));
    EXPECT_EQ(state(), DictationState::listening(false));
    EXPECT_EQ(logs.linesStartingWith(QStringLiteral("ERROR: phrase failed")),
              list({ "ERROR: phrase failed to transcribe; session continues: fake(decoder error)" }));
    speakPhrase(1.0);
    engine->complete(1, QStringLiteral("Next"));
    EXPECT_EQ(delivery->texts(), list({ "Next" })); // nothing before it was delivered
}

TEST_F(ContinuousTest, FinalPhraseThatFailsIsShown)
{
    startSession();
    speak(1.0);
    press();
    engine->fail(0, QStringLiteral("The model is not loaded."));
    EXPECT_EQ(state(), DictationState::failed(QStringLiteral("Transcription failed: The model is not loaded.")));
}

TEST_F(ContinuousTest, EmptyPhraseIsSkippedSilently)
{
    startSession();
    speakPhrase(1.0);
    engine->complete(0, QStringLiteral("  "));
    EXPECT_EQ(state(), DictationState::listening(false));
    EXPECT_TRUE(transcripts.isEmpty());
    speakPhrase(1.0);
    engine->complete(1, QStringLiteral("Something"));
    EXPECT_EQ(delivery->texts(), list({ "Something" }));
}

TEST_F(ContinuousTest, PhrasesArePolishedWhenThePolisherIsOn)
{
    polisher->setEnabled(true);
    startSession();
    speakPhrase(1.0);
    engine->complete(0, QStringLiteral("one"));
    speakPhrase(1.0);
    engine->complete(1, QStringLiteral("two"));
    EXPECT_EQ(delivery->texts(), list({ "polished: one", " polished: two" }));
    EXPECT_EQ(polishing, (std::vector { true, false, true, false }));
}

TEST_F(ContinuousTest, MicrophoneFailureAtTheDoubleTapReleasesEscape)
{
    tap();
    clock->advance(0.2);
    press();
    clock->advance(0.1);
    capture->failNextStart(QStringLiteral("The device went away."));
    release();
    EXPECT_EQ(state(), DictationState::failed(QStringLiteral("Could not start recording: The device went away.")));
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::cancel));
    EXPECT_FALSE(capture->isRunning());
    clock->advance(1.0);
    EXPECT_EQ(state(), DictationState::failed(QStringLiteral("Could not start recording: The device went away.")));
}

TEST_F(ContinuousTest, SessionStartedDirectlyPlaysItsStartCue)
{
    coordinator->startContinuousListening();
    EXPECT_EQ(state(), DictationState::listening(false));
    EXPECT_EQ(calls->calls(),
              list({ "focus.capture", "capture.start", "sound.listen-start", "hotkeys.register cancel" }));
    coordinator->startContinuousListening(); // already listening
    EXPECT_EQ(capture->startCount(), 1);
}

TEST_F(ContinuousTest, OldLoopDoesNotTearDownASessionStartedRightAfterIt)
{
    startSession();
    press();
    ASSERT_EQ(state(), DictationState::idle());
    coordinator->startContinuousListening(); // before the old loop's next tick
    clock->advance(0.5);
    EXPECT_EQ(state(), DictationState::listening(false));
    EXPECT_TRUE(capture->isRunning());
    EXPECT_TRUE(logs.linesStartingWith(QStringLiteral("continuous loop ended")).isEmpty());
}

TEST_F(ContinuousTest, LoopAndPendingTapSleepThroughTheInjectedTick)
{
    std::vector<double> requested;
    coordinator->setContinuousTick([this, &requested](double seconds) {
        requested.push_back(seconds);
        return clock->sleep(seconds);
    });
    tap();
    ASSERT_EQ(requested.size(), 1u);
    EXPECT_NEAR(requested[0], 1.2 + 0.05, 1e-9);
    clock->advance(0.2);
    tap();
    clock->advance(0.35);
    EXPECT_THAT(std::vector(requested.begin() + 1, requested.end()), ElementsAre(0.1, 0.1, 0.1, 0.1));
}

} // namespace
