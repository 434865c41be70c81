// Push-to-talk: holds, taps, double taps, cancels and deactivation.
#include "CoordinatorFixture.h"

#include "hotkeys/HotkeyError.h"

#include <QCoro/QCoroTask>

using namespace parlowind;
using namespace parlowind::test;
using ::testing::ElementsAre;

namespace {

const QString editor = QStringLiteral("Editor");

TEST_F(CoordinatorTest, HoldIsTranscribedCleanedAndDeliveredWhereRecordingBegan)
{
    coordinator->setFillerAggressiveness(FillerAggressiveness::aggressive);
    stage->transform = [](const QString &text) { return text + QStringLiteral("!"); };
    const FocusContext original = focus->capture();
    calls->clear();

    hold(1.0, 48000);
    EXPECT_EQ(state(), DictationState::transcribing());
    ASSERT_EQ(engine->calls().size(), 1u);
    const auto &call = engine->calls()[0];
    EXPECT_EQ(call.samples.size(), 48000u);
    EXPECT_EQ(call.language, QStringLiteral("en"));
    EXPECT_EQ(call.initialPrompt, QStringLiteral("Parlowind, Kubernetes"));
    EXPECT_THAT(dictionary->requests(), ElementsAre(224));

    // The user moves on while the text is being transcribed.
    focus->setContext(FakeFocusCapture::app(QStringLiteral("Chat"), QStringLiteral("org.example.Chat")));
    engine->complete(0, QStringLiteral("  Hello world \n"));

    EXPECT_EQ(stage->inputs, list({ "Hello world" }));
    ASSERT_EQ(stage->contexts.size(), 1u);
    EXPECT_DOUBLE_EQ(stage->contexts[0].durationSeconds, 3.0);
    EXPECT_EQ(stage->contexts[0].fillerAggressiveness, FillerAggressiveness::aggressive);
    EXPECT_EQ(transcripts, list({ "Hello world!" }));
    ASSERT_EQ(delivery->deliveries().size(), 1u);
    EXPECT_EQ(delivery->deliveries()[0].context, original);
    EXPECT_EQ(state(), DictationState::idle());
    EXPECT_THAT(states,
                ElementsAre(DictationState::recording(), DictationState::transcribing(), DictationState::idle()));
    EXPECT_EQ(calls->calls(),
              list({ "capture.start", "sound.listen-start", "focus.capture", "hotkeys.register cancel",
                     "hotkeys.unregister cancel", "capture.stop", "sound.listen-stop", "engine.transcribe",
                     "deliver Hello world!" }));
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::cancel));
    EXPECT_TRUE(hotkeys->isRegistered(HotkeyID::dictation));
}

TEST_F(CoordinatorTest, EscapeIsClaimedOnlyWhileTheMicrophoneIsOpen)
{
    press();
    EXPECT_EQ(hotkeys->binding(HotkeyID::cancel), HotkeyBinding::cancel());
    clock->advance(1.0);
    release();
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::cancel));
}

TEST_F(CoordinatorTest, PressesWhileBusyAndReleasesWhileIdleChangeNothing)
{
    release();
    press();
    calls->clear();
    press();
    EXPECT_EQ(state(), DictationState::recording());
    capture->feed(16000);
    clock->advance(1.0);
    release();
    ASSERT_EQ(state(), DictationState::transcribing());
    calls->clear();
    press();
    release();
    EXPECT_EQ(state(), DictationState::transcribing());
    EXPECT_TRUE(calls->calls().isEmpty()) << calls->calls().join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(engine->calls().size(), 1u);
}

TEST_F(CoordinatorTest, PressDuringAMeetingIsRefusedWithoutTouchingTheMicrophone)
{
    coordinator->setSuspendedForMeeting(true);
    press();
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::meetingInProgress));
    release();
    EXPECT_TRUE(calls->calls().isEmpty());

    coordinator->setSuspendedForMeeting(false);
    press();
    EXPECT_EQ(state(), DictationState::recording());
}

TEST_F(CoordinatorTest, MicrophoneFailureIsShownAndTheNextPressTriesAgain)
{
    capture->failNextStart(QStringLiteral("The microphone is in use."));
    press();
    EXPECT_EQ(state(), DictationState::failed(QStringLiteral("Could not start recording: The microphone is in use.")));
    EXPECT_EQ(calls->take(), list({ "capture.start" })); // no cue, no Escape
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::cancel));
    release();
    EXPECT_TRUE(calls->calls().isEmpty());

    press();
    EXPECT_EQ(state(), DictationState::recording());
}

struct BoundaryCase
{
    const char *name;
    friend void PrintTo(const BoundaryCase &row, std::ostream *out) { *out << row.name; }
    double held;
    DictationState after;
};

class HoldBoundaryTest : public CoordinatorTest, public ::testing::WithParamInterface<BoundaryCase>
{
};

TEST_P(HoldBoundaryTest, ThreeTenthsOfASecondIsTheLimit)
{
    hold(GetParam().held);
    EXPECT_EQ(state(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Coordinator, HoldBoundaryTest,
                         ::testing::Values(BoundaryCase { "ExactlyTheLimitIsAHold", 0.3,
                                                          DictationState::transcribing() },
                                           BoundaryCase { "JustUnderIsATap", 0.29, DictationState::idle() }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(CoordinatorTest, HoldWithoutSamplesIsNoSpeechAndNeverReachesTheEngine)
{
    hold(1.0, 0);
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::noSpeech));
    EXPECT_TRUE(engine->calls().empty());
    EXPECT_THAT(sounds->played(), ElementsAre(DictationCue::start, DictationCue::stop));
}

TEST_F(CoordinatorTest, EngineFailureIsShown)
{
    hold(1.0);
    engine->fail(0, QStringLiteral("The model is not loaded."));
    EXPECT_EQ(state(), DictationState::failed(QStringLiteral("Transcription failed: The model is not loaded.")));
    EXPECT_TRUE(delivery->deliveries().empty());
    EXPECT_TRUE(transcripts.isEmpty());
}

struct EmptyCase
{
    const char *name;
    friend void PrintTo(const EmptyCase &row, std::ostream *out) { *out << row.name; }
    const char *transcript;
    bool cleanupEmpties;
};

class EmptyTranscriptTest : public CoordinatorTest, public ::testing::WithParamInterface<EmptyCase>
{
};

TEST_P(EmptyTranscriptTest, NothingLeftIsNoSpeech)
{
    polisher->setEnabled(true);
    if (GetParam().cleanupEmpties)
        stage->transform = [](const QString &) { return QString(); };
    hold(1.0);
    engine->complete(0, QString::fromUtf8(GetParam().transcript));
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::noSpeech));
    EXPECT_TRUE(transcripts.isEmpty());
    EXPECT_TRUE(delivery->deliveries().empty());
    EXPECT_TRUE(polisher->calls().empty());
    EXPECT_TRUE(polishing.empty());
}

INSTANTIATE_TEST_SUITE_P(Coordinator, EmptyTranscriptTest,
                         ::testing::Values(EmptyCase { "OnlyWhitespace", " \n\t", false },
                                           EmptyCase { "CleanedAway", "Scratch that.", true }),
                         [](const auto &info) { return std::string(info.param.name); });

enum class PolishSetup { enabled, disabled, absent };

struct PolishCase
{
    const char *name;
    friend void PrintTo(const PolishCase &row, std::ostream *out) { *out << row.name; }
    PolishSetup setup;
    const char *delivered;
    std::vector<bool> reports;
};

class PolishTest : public CoordinatorTest, public ::testing::WithParamInterface<PolishCase>
{
};

TEST_P(PolishTest, PolishesOnlyWhenThePolisherIsOn)
{
    // A polisher that is offline-only or has no configured provider reports
    // itself disabled.
    polisher->setEnabled(GetParam().setup == PolishSetup::enabled);
    if (GetParam().setup == PolishSetup::absent) {
        auto collaborators = allCollaborators();
        collaborators.polisher = nullptr;
        create(std::move(collaborators));
    }
    hold(1.0);
    engine->complete(0, QStringLiteral("Hello"));
    EXPECT_EQ(delivery->texts(), list({ GetParam().delivered }));
    EXPECT_EQ(transcripts, list({ GetParam().delivered }));
    EXPECT_EQ(polishing, GetParam().reports);
    EXPECT_EQ(state(), DictationState::idle());
}

INSTANTIATE_TEST_SUITE_P(
    Coordinator, PolishTest,
    ::testing::Values(PolishCase { "On", PolishSetup::enabled, "polished: Hello", { true, false } },
                      PolishCase { "OfflineOnlyOrUnconfigured", PolishSetup::disabled, "Hello", {} },
                      PolishCase { "NoPolisher", PolishSetup::absent, "Hello", {} }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CoordinatorTest, WorksWithOnlyTheRequiredCollaborators)
{
    DictationCoordinator::Collaborators bare;
    bare.capture = capture;
    bare.engine = engine;
    bare.hotkeys = hotkeys;
    bare.clock = clock;
    create(std::move(bare));
    hold(1.0);
    ASSERT_EQ(engine->calls().size(), 1u);
    EXPECT_EQ(engine->calls()[0].initialPrompt, std::nullopt);
    engine->complete(0, QStringLiteral(" Hello "));
    EXPECT_EQ(transcripts, list({ "Hello" }));
    EXPECT_EQ(coordinator->focusContext(), FocusContext::unknown());
    EXPECT_EQ(state(), DictationState::idle());
}

TEST_F(CoordinatorTest, MissingRequiredCollaboratorIsRefused)
{
    auto collaborators = allCollaborators();
    collaborators.engine = nullptr;
    EXPECT_THROW(DictationCoordinator(std::move(collaborators)), std::invalid_argument);
}

TEST_F(CoordinatorTest, LoneTapGoesIdleAndThenTooShortOnceTheWindowHasPassed)
{
    tap();
    EXPECT_EQ(state(), DictationState::idle());
    EXPECT_EQ(calls->take(),
              list({ "capture.start", "sound.listen-start", "focus.capture", "hotkeys.register cancel",
                     "capture.discard", "hotkeys.unregister cancel" }));
    clock->advance(1.2 + 0.04);
    EXPECT_EQ(state(), DictationState::idle());
    clock->advance(0.02);
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::tooShort));
    EXPECT_THAT(states,
                ElementsAre(DictationState::recording(), DictationState::idle(),
                            DictationState::cancelled(DictationCancelReason::tooShort)));
    EXPECT_THAT(sounds->played(), ElementsAre(DictationCue::start));
    EXPECT_TRUE(engine->calls().empty());
    EXPECT_TRUE(calls->calls().isEmpty());
}

TEST_F(CoordinatorTest, DoubleTapStartsContinuousListeningWithOneStartCuePerPress)
{
    tap();
    clock->advance(0.5);
    calls->clear();
    tap();
    EXPECT_EQ(state(), DictationState::listening(false));
    EXPECT_THAT(states,
                ElementsAre(DictationState::recording(), DictationState::idle(), DictationState::recording(),
                            DictationState::listening(false)));
    EXPECT_EQ(calls->take(),
              list({ "capture.start", "sound.listen-start", "focus.capture", "hotkeys.register cancel",
                     "capture.discard", "focus.capture", "capture.start", "hotkeys.register cancel" }));
    EXPECT_THAT(sounds->played(), ElementsAre(DictationCue::start, DictationCue::start));
    EXPECT_TRUE(hotkeys->isRegistered(HotkeyID::cancel));
    EXPECT_TRUE(capture->isRunning());

    // The first tap's timer finds nothing to expire.
    clock->advance(2.0);
    EXPECT_EQ(state(), DictationState::listening(false));
}

struct WindowCase
{
    const char *name;
    friend void PrintTo(const WindowCase &row, std::ostream *out) { *out << row.name; }
    double doubleClick;
    double window;
};

class DoubleTapWindowTest : public CoordinatorTest, public ::testing::WithParamInterface<WindowCase>
{
protected:
    void SetUp() override
    {
        doubleClickSeconds = GetParam().doubleClick;
        CoordinatorTest::SetUp();
    }
};

TEST_P(DoubleTapWindowTest, SecondTapAtTheEdgeOfTheWindowCounts)
{
    EXPECT_DOUBLE_EQ(coordinator->gestures().doubleTapWindow(), GetParam().window);
    tap();
    clock->advance(GetParam().window);
    tap();
    EXPECT_EQ(state(), DictationState::listening(false));
}

TEST_P(DoubleTapWindowTest, SecondTapPressedLateInTheWindowCountsThoughTheTimerFiresWhileItIsDown)
{
    tap();
    clock->advance(GetParam().window - 0.01);
    press();
    clock->advance(0.2); // the first tap's timer falls due while the key is down
    release();
    EXPECT_EQ(state(), DictationState::listening(false));
}

TEST_P(DoubleTapWindowTest, SecondTapAfterTheWindowIsANewLoneTap)
{
    tap();
    clock->advance(GetParam().window + 0.01);
    tap();
    EXPECT_EQ(state(), DictationState::idle());
    // The second tap waits its own full window.
    clock->advance(GetParam().window + 0.04);
    EXPECT_EQ(state(), DictationState::idle());
    clock->advance(0.02);
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::tooShort));
}

INSTANTIATE_TEST_SUITE_P(Coordinator, DoubleTapWindowTest,
                         ::testing::Values(WindowCase { "ShortDoubleClickUsesTheMinimum", 0.5, 1.2 },
                                           WindowCase { "LongDoubleClickIsUsed", 2.0, 2.0 }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(CoordinatorTest, PendingTapExpiresEvenWhenTheDoubleClickIntervalShrinksMeanwhile)
{
    doubleClickSeconds = 3.0;
    create(allCollaborators());
    doubleClickSeconds = 0.2;
    tap();
    clock->advance(3.0 + 0.06);
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::tooShort));
}

TEST_F(CoordinatorTest, TapFollowedByAHoldIsTranscribedNormally)
{
    tap();
    clock->advance(0.3);
    press();
    capture->feed(32000);
    clock->advance(2.0); // the first tap's timer fires during the hold
    EXPECT_EQ(state(), DictationState::recording());
    release();
    EXPECT_EQ(state(), DictationState::transcribing());
    engine->complete(0, QStringLiteral("Held"));
    EXPECT_EQ(delivery->texts(), list({ "Held" }));
    EXPECT_EQ(std::count(states.begin(), states.end(), DictationState::cancelled(DictationCancelReason::tooShort)), 0);
}

TEST_F(CoordinatorTest, EscapeWhileRecordingClosesTheMicrophone)
{
    press();
    capture->feed(16000);
    clock->advance(1.0);
    calls->clear();
    escape();
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::userCancelled));
    EXPECT_EQ(calls->take(), list({ "capture.stop", "hotkeys.unregister cancel", "sound.listen-stop" }));
    release(); // the key comes up after Escape: nothing to end
    EXPECT_TRUE(calls->calls().isEmpty());
    EXPECT_TRUE(engine->calls().empty());
}

TEST_F(CoordinatorTest, CancelAtRestDoesNothing)
{
    coordinator->cancel(DictationCancelReason::userCancelled);
    capture->failNextStart(QStringLiteral("busy"));
    press();
    calls->clear();
    states.clear();
    coordinator->cancel(DictationCancelReason::deviceChanged);
    EXPECT_EQ(state(), DictationState::failed(QStringLiteral("Could not start recording: busy")));
    EXPECT_TRUE(calls->calls().isEmpty());
    EXPECT_TRUE(states.empty());
}

class CancelReasonTest : public CoordinatorTest, public ::testing::WithParamInterface<DictationCancelReason>
{
};

TEST_P(CancelReasonTest, CancelWhileRecordingStopsTheMicrophoneWithTheStopCue)
{
    press();
    coordinator->cancel(GetParam());
    EXPECT_EQ(state(), DictationState::cancelled(GetParam()));
    EXPECT_FALSE(capture->isRunning());
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::cancel));
    EXPECT_THAT(sounds->played(), ElementsAre(DictationCue::start, DictationCue::stop));
}

INSTANTIATE_TEST_SUITE_P(Coordinator, CancelReasonTest,
                         ::testing::Values(DictationCancelReason::userCancelled, DictationCancelReason::deviceChanged,
                                           DictationCancelReason::systemSleep),
                         [](const auto &info) { return rawValue(info.param).toStdString(); });

TEST_F(CoordinatorTest, CancelWhileTranscribingDropsTheLateResult)
{
    hold(1.0);
    calls->clear();
    coordinator->cancel(DictationCancelReason::systemSleep);
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::systemSleep));
    EXPECT_EQ(calls->take(), list({ "hotkeys.unregister cancel" })); // no cue: the microphone was already closed

    engine->complete(0, QStringLiteral("Too late"));
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::systemSleep));
    EXPECT_TRUE(transcripts.isEmpty());
    EXPECT_TRUE(delivery->deliveries().empty());
}

TEST_F(CoordinatorTest, CancelledTranscriptionDoesNotDisturbTheNextAttempt)
{
    hold(1.0);
    coordinator->cancel(DictationCancelReason::deviceChanged);
    hold(1.0);
    ASSERT_EQ(engine->calls().size(), 2u);
    engine->fail(0, QStringLiteral("late failure"));
    EXPECT_EQ(state(), DictationState::transcribing());
    engine->complete(1, QStringLiteral("Second"));
    EXPECT_EQ(delivery->texts(), list({ "Second" }));
    EXPECT_EQ(state(), DictationState::idle());
}

TEST_F(CoordinatorTest, CancelDuringPolishStillReportsThePolishEnded)
{
    polisher->setEnabled(true);
    polisher->setHolding(true);
    hold(1.0);
    engine->complete(0, QStringLiteral("Hello"));
    EXPECT_THAT(polishing, ElementsAre(true));
    coordinator->cancel(DictationCancelReason::deviceChanged);
    polisher->complete(0, QStringLiteral("Hello there"));
    EXPECT_THAT(polishing, ElementsAre(true, false));
    EXPECT_TRUE(delivery->deliveries().empty());
    EXPECT_TRUE(transcripts.isEmpty());
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::deviceChanged));
}

TEST_F(CoordinatorTest, CancelWhileTheTextIsBeingPutInPlaceKeepsTheCancelShowing)
{
    delivery->setHolding(true);
    hold(1.0);
    engine->complete(0, QStringLiteral("Hello"));
    ASSERT_EQ(delivery->deliveries().size(), 1u);
    coordinator->cancel(DictationCancelReason::systemSleep);
    delivery->completeAllPending();
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::systemSleep));
}

TEST_F(CoordinatorTest, ActivationKeepsTheHandlerWhenTheKeyCannotBeClaimed)
{
    coordinator->deactivate();
    EXPECT_FALSE(hotkeys->hasHandler());
    hotkeys->failRegistration(HotkeyID::dictation, 7);
    EXPECT_THROW(coordinator->activate(HotkeyBinding::defaultDictation()), HotkeyError);
    EXPECT_TRUE(hotkeys->hasHandler());
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::dictation));

    coordinator->activate(HotkeyBinding::chord(KeyCode::space, HotkeyBinding::Modifier::option));
    EXPECT_EQ(hotkeys->binding(HotkeyID::dictation),
              HotkeyBinding::chord(KeyCode::space, HotkeyBinding::Modifier::option));
}

TEST_F(CoordinatorTest, EndRecordingCompletesWhenTheTextIsDelivered)
{
    press();
    capture->feed(16000);
    clock->advance(1.0);
    bool ended = false;
    auto waiting = CancellableTask::start([&](CancellationToken) -> QCoro::Task<> {
        auto ending = coordinator->endRecording();
        co_await ending;
        ended = true;
    });
    EXPECT_EQ(state(), DictationState::transcribing());
    EXPECT_FALSE(ended);
    engine->complete(0, QStringLiteral("Ended"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(delivery->texts(), list({ "Ended" }));
}

TEST_F(CoordinatorTest, EndRecordingOfAShortRecordingIsTooShortWithoutACue)
{
    press();
    capture->feed(1600);
    clock->advance(0.1);
    QCoro::waitFor(coordinator->endRecording());
    EXPECT_EQ(state(), DictationState::cancelled(DictationCancelReason::tooShort));
    EXPECT_THAT(sounds->played(), ElementsAre(DictationCue::start));
    EXPECT_FALSE(capture->isRunning());
    EXPECT_TRUE(engine->calls().empty());
}

TEST_F(CoordinatorTest, SameStateTwiceIsReportedOnce)
{
    coordinator->deactivate();
    EXPECT_TRUE(states.empty());
    coordinator->setSuspendedForMeeting(true);
    coordinator->activate(HotkeyBinding::defaultDictation());
    press();
    press();
    EXPECT_THAT(states, ElementsAre(DictationState::cancelled(DictationCancelReason::meetingInProgress)));
}

enum class Scenario {
    idle,
    recording,
    transcribing,
    polishing,
    pendingTap,
    listening,
    listeningWithPhraseInFlight,
    finalPhraseInFlight,
    cancelled,
    failed
};

struct DeactivateCase
{
    const char *name;
    Scenario scenario;
    friend void PrintTo(const DeactivateCase &row, std::ostream *out) { *out << row.name; }
};

class DeactivateTest : public CoordinatorTest, public ::testing::WithParamInterface<DeactivateCase>
{
protected:
    void arrange(Scenario scenario)
    {
        switch (scenario) {
        case Scenario::idle:
            break;
        case Scenario::recording:
            press();
            break;
        case Scenario::transcribing:
            hold(1.0);
            break;
        case Scenario::polishing:
            polisher->setEnabled(true);
            polisher->setHolding(true);
            hold(1.0);
            engine->complete(0, QStringLiteral("Hello"));
            break;
        case Scenario::pendingTap:
            tap();
            break;
        case Scenario::listening:
            startSession();
            break;
        case Scenario::listeningWithPhraseInFlight:
            startSession();
            speakPhrase(1.0);
            break;
        case Scenario::finalPhraseInFlight:
            startSession();
            speak(1.0);
            press();
            break;
        case Scenario::cancelled:
            press();
            escape();
            break;
        case Scenario::failed:
            hold(1.0);
            engine->fail(0, QStringLiteral("broken"));
            break;
        }
    }
};

TEST_P(DeactivateTest, StopsEverythingSilentlyAndReleasesEveryKey)
{
    arrange(GetParam().scenario);
    const bool wasIdle = state() == DictationState::idle();
    states.clear();
    calls->clear();
    coordinator->deactivate();

    EXPECT_EQ(state(), DictationState::idle());
    EXPECT_EQ(states.size(), wasIdle ? 0u : 1u);
    EXPECT_FALSE(capture->isRunning());
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::dictation));
    EXPECT_FALSE(hotkeys->isRegistered(HotkeyID::cancel));
    EXPECT_FALSE(hotkeys->hasHandler());
    for (const QString &call : calls->calls())
        EXPECT_FALSE(call.startsWith(QStringLiteral("sound."))) << call.toStdString();

    // Whatever was waiting finishes without effect, and no timer brings back
    // another state.
    engine->failAllPending();
    polisher->completeAllPending();
    clock->advance(10);
    EXPECT_EQ(state(), DictationState::idle());
    EXPECT_TRUE(transcripts.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Coordinator, DeactivateTest,
    ::testing::Values(
        DeactivateCase { "Idle", Scenario::idle }, DeactivateCase { "Recording", Scenario::recording },
        DeactivateCase { "Transcribing", Scenario::transcribing }, DeactivateCase { "Polishing", Scenario::polishing },
        DeactivateCase { "PendingTap", Scenario::pendingTap }, DeactivateCase { "Listening", Scenario::listening },
        DeactivateCase { "ListeningWithPhraseInFlight", Scenario::listeningWithPhraseInFlight },
        DeactivateCase { "FinalPhraseInFlight", Scenario::finalPhraseInFlight },
        DeactivateCase { "Cancelled", Scenario::cancelled }, DeactivateCase { "Failed", Scenario::failed }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
