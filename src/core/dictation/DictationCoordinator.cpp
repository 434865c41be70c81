#include "DictationCoordinator.h"

#include "PhraseJoiner.h"
#include "SoundPlaying.h"
#include "TranscriptDelivering.h"
#include "audio/AudioCapturing.h"
#include "cleanup/InitialPromptProviding.h"
#include "hotkeys/HotkeyRegistering.h"
#include "injection/FocusCapturing.h"
#include "polish/TranscriptPolishing.h"
#include "speech/TranscriptionEngine.h"
#include "support/Error.h"
#include "support/Log.h"
#include "support/MonotonicClock.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <stdexcept>

namespace parlowind {

namespace {

using Kind = DictationState::Kind;

// What the user reads about a collaborator's failure.
QString userDescription(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Error &own) {
        return own.description();
    } catch (const std::exception &other) {
        return QString::fromUtf8(other.what());
    } catch (...) { }
    return QStringLiteral("unknown error");
}

void logFailure(const QString &context, const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &known) {
        logError(context, known);
    } catch (...) {
        log(QStringLiteral("ERROR: ") + context + QStringLiteral(": unknown error"));
    }
}

// Shortest decimal text that reads back as the same value.
template<typename T> QString shortest(T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString phraseStats(std::size_t sampleCount, const SpeechSegmenter &segmenter, const SpeechSegmenter::State &state)
{
    return QString::number(sampleCount) + QStringLiteral(" samples, peak ") + shortest(state.peakLevel)
        + QStringLiteral(", audible ") + shortest(segmenter.audibleSeconds(state)) + QStringLiteral("s");
}

} // namespace

// The outcome of the steps a hold and a phrase share: transcription, cleanup
// and polish.
struct DictationCoordinator::PipelineResult
{
    enum class Outcome {
        text, // `text` is ready for delivery
        empty, // nothing left after cleanup
        engineFailed, // `error` says why
        abandoned, // the task was cancelled or the coordinator is gone
    };
    Outcome outcome = Outcome::abandoned;
    QString text;
    std::exception_ptr error;
};

DictationCoordinator::DictationCoordinator(Collaborators collaborators, DoubleClickInterval doubleClickInterval)
    : m_capture(std::move(collaborators.capture))
    , m_engine(std::move(collaborators.engine))
    , m_hotkeys(std::move(collaborators.hotkeys))
    , m_clock(std::move(collaborators.clock))
    , m_focus(std::move(collaborators.focus))
    , m_delivery(std::move(collaborators.delivery))
    , m_cleanup(std::move(collaborators.cleanup))
    , m_dictionary(std::move(collaborators.dictionary))
    , m_polisher(std::move(collaborators.polisher))
    , m_sounds(std::move(collaborators.sounds))
    , m_doubleClickInterval(std::move(doubleClickInterval))
    , m_gestures(TapGestureRecogniser::defaultTapMaxDuration, currentDoubleTapWindow())
{
    if (!m_capture || !m_engine || !m_hotkeys || !m_clock)
        throw std::invalid_argument("DictationCoordinator needs a capture, an engine, hot keys and a clock");
    setContinuousTick({});
}

DictationCoordinator::~DictationCoordinator()
{
    // Suspended tasks find the coordinator gone when they resume; cancelling
    // them as well keeps them from starting anything in between.
    cancelAllTasks();
}

void DictationCoordinator::setContinuousTick(Tick tick)
{
    if (!tick) {
        tick = [clock = m_clock](double seconds) { return clock->sleep(seconds); };
    }
    m_continuousTick = std::move(tick);
}

void DictationCoordinator::activate(const HotkeyBinding &dictation)
{
    m_hotkeys->setOnEvent([self = QPointer(this)](HotkeyID id, HotkeyPhase phase) {
        if (self)
            self->handleKeyEvent(id, phase);
    });
    m_hotkeys->registerBinding(dictation, HotkeyID::dictation);
}

void DictationCoordinator::handleKeyEvent(HotkeyID id, HotkeyPhase phase)
{
    if (id == HotkeyID::dictation && phase == HotkeyPhase::released) {
        handleRelease();
    } else if (id == HotkeyID::dictation && phase == HotkeyPhase::pressed) {
        if (isListeningContinuously())
            stopContinuousListening();
        else
            beginRecording();
    } else if (id == HotkeyID::cancel && phase == HotkeyPhase::pressed) {
        cancel(DictationCancelReason::userCancelled);
    }
}

void DictationCoordinator::registerCancelKey()
{
    try {
        m_hotkeys->registerBinding(HotkeyBinding::cancel(), HotkeyID::cancel);
    } catch (const std::exception &) {
        // Escape is a convenience; the dictation key still ends the attempt.
    }
}

void DictationCoordinator::unregisterCancelKey()
{
    m_hotkeys->unregister(HotkeyID::cancel);
}

void DictationCoordinator::beginRecording()
{
    if (!m_state.isAtRest())
        return;
    if (m_isSuspendedForMeeting) {
        setState(DictationState::cancelled(DictationCancelReason::meetingInProgress));
        return;
    }
    try {
        m_capture->start();
    } catch (...) {
        const auto error = std::current_exception();
        logFailure(QStringLiteral("could not start recording"), error);
        m_recordingStartedAt.reset();
        setState(DictationState::failed(QStringLiteral("Could not start recording: ") + userDescription(error)));
        return;
    }
    playCue(DictationCue::start);
    m_recordingStartedAt = m_clock->now();
    m_focusContext = m_focus ? m_focus->capture() : FocusContext::unknown();
    registerCancelKey();
    setState(DictationState::recording());
}

void DictationCoordinator::handleRelease()
{
    if (!m_state.is(Kind::recording))
        return;
    const double now = m_clock->now();
    const double startedAt = m_recordingStartedAt.value_or(now);
    const auto interpretation = m_gestures.interpret(startedAt, now, m_pendingTap);

    if (interpretation.gesture && interpretation.gesture->kind == HotkeyGesture::Kind::hold) {
        m_pendingTap.reset();
        auto samples = prepareEnd();
        m_releaseTask = samples ? startReleaseTask(std::move(*samples)) : CancellableTask();
        return;
    }

    m_capture->discard();
    m_recordingStartedAt.reset();
    if (interpretation.gesture && interpretation.gesture->kind == HotkeyGesture::Kind::doubleTap) {
        cancelPendingTap();
        // Escape stays registered: the session that starts now uses it.
        startContinuousListening();
        return;
    }

    // A first tap: wait for a second one. No stop cue, since nothing was said.
    m_pendingTap = interpretation.pending;
    unregisterCancelKey();
    setState(DictationState::idle());
    armPendingTapTimer();
}

std::optional<std::vector<float>> DictationCoordinator::prepareEnd()
{
    if (!m_state.is(Kind::recording))
        return std::nullopt;
    const double now = m_clock->now();
    const double startedAt = m_recordingStartedAt.value_or(now);
    m_recordingStartedAt.reset();
    unregisterCancelKey();
    std::vector<float> samples = m_capture->stop();

    if (now - startedAt < minimumRecordingSeconds - TapGestureRecogniser::tolerance) {
        setState(DictationState::cancelled(DictationCancelReason::tooShort));
        return std::nullopt;
    }
    playCue(DictationCue::stop);
    if (samples.empty()) {
        setState(DictationState::cancelled(DictationCancelReason::noSpeech));
        return std::nullopt;
    }
    setState(DictationState::transcribing());
    return samples;
}

QCoro::Task<> DictationCoordinator::endRecording()
{
    auto samples = prepareEnd();
    m_releaseTask = samples ? startReleaseTask(std::move(*samples)) : CancellableTask();
    return m_releaseTask.finished();
}

CancellableTask DictationCoordinator::startReleaseTask(std::vector<float> samples)
{
    return CancellableTask::start([self = QPointer(this), samples = std::move(samples)](CancellationToken token) {
        return finishTranscribing(self, samples, token);
    });
}

QCoro::Task<> DictationCoordinator::finishTranscribing(QPointer<DictationCoordinator> self, std::vector<float> samples,
                                                       CancellationToken token)
{
    auto pipeline = transcribeCleanAndPolish(self, std::move(samples), token);
    PipelineResult result = co_await pipeline;
    if (!self || token.isCancelled())
        co_return;
    switch (result.outcome) {
    case PipelineResult::Outcome::abandoned:
        co_return;
    case PipelineResult::Outcome::engineFailed:
        logFailure(QStringLiteral("transcription failed"), result.error);
        self->setState(
            DictationState::failed(QStringLiteral("Transcription failed: ") + userDescription(result.error)));
        co_return;
    case PipelineResult::Outcome::empty:
        self->setState(DictationState::cancelled(DictationCancelReason::noSpeech));
        co_return;
    case PipelineResult::Outcome::text:
        break;
    }

    if (self->m_onTranscript)
        self->m_onTranscript(result.text);
    if (!self || token.isCancelled())
        co_return;
    if (auto delivery = self->m_delivery) {
        try {
            auto delivering = delivery->deliver(result.text, self->m_focusContext);
            co_await delivering;
        } catch (const std::exception &error) {
            logError(QStringLiteral("delivery"), error);
        }
    }
    // A cancel while the text was being put in place keeps its own state.
    if (!self || token.isCancelled())
        co_return;
    self->setState(DictationState::idle());
}

QCoro::Task<DictationCoordinator::PipelineResult>
DictationCoordinator::transcribeCleanAndPolish(QPointer<DictationCoordinator> self, std::vector<float> samples,
                                               CancellationToken token)
{
    PipelineResult result;
    if (!self || token.isCancelled())
        co_return result;

    // Keep what the awaits need alive even if the coordinator goes away.
    const auto engine = self->m_engine;
    const auto polisher = self->m_polisher;
    const std::size_t sampleCount = samples.size();
    Transcript transcript;
    try {
        auto transcribing = engine->transcribe(std::move(samples), self->m_language, self->buildPrompt());
        transcript = co_await transcribing;
    } catch (...) {
        result.error = std::current_exception();
    }
    if (!self || token.isCancelled())
        co_return result; // a late result, or a late failure, is dropped
    if (result.error) {
        result.outcome = PipelineResult::Outcome::engineFailed;
        co_return result;
    }

    QString text = transcript.text.trimmed();
    if (self->m_cleanup) {
        const CleanupContext context { self->m_fillerAggressiveness, double(sampleCount) / samplesPerSecond };
        text = self->m_cleanup->run(text, context);
    }
    if (text.isEmpty()) {
        result.outcome = PipelineResult::Outcome::empty;
        co_return result;
    }

    if (polisher && polisher->isEnabled()) {
        if (self->m_onPolishingChange)
            self->m_onPolishingChange(true);
        try {
            auto polishing = polisher->polish(text);
            text = co_await polishing;
        } catch (const std::exception &error) {
            // The polisher promises to fall back by itself; keep the cleaned
            // text should one ever fail anyway.
            logError(QStringLiteral("polish"), error);
        }
        if (self && self->m_onPolishingChange)
            self->m_onPolishingChange(false);
        if (!self || token.isCancelled())
            co_return result;
    }
    result.outcome = PipelineResult::Outcome::text;
    result.text = text;
    co_return result;
}

std::optional<QString> DictationCoordinator::buildPrompt() const
{
    std::optional<QString> terms;
    if (m_dictionary)
        terms = m_dictionary->initialPrompt(initialPromptMaxTokens);
    std::optional<QString> tail;
    if (isListeningContinuously() && m_lastDeliveredPhrase)
        tail = PhraseJoiner::promptTail(*m_lastDeliveredPhrase, promptTailLimit);
    return PhraseJoiner::prompt(terms, tail);
}

double DictationCoordinator::currentDoubleTapWindow() const
{
    std::optional<double> interval;
    if (m_doubleClickInterval)
        interval = m_doubleClickInterval();
    return TapGestureRecogniser::doubleTapWindowFor(interval);
}

void DictationCoordinator::armPendingTapTimer()
{
    if (m_pendingTapTask.isValid())
        m_pendingTapTask.cancel();
    if (!m_pendingTap)
        return;
    const double endedAt = m_pendingTap->endedAt;
    // The interval is read again in case the user changed it; never wait less
    // than the window the tap is judged by, or the tap would never expire.
    const double wait = std::max(currentDoubleTapWindow(), m_gestures.doubleTapWindow()) + pendingTapGraceSeconds;
    m_pendingTapTask = CancellableTask::start([self = QPointer(this), endedAt, wait](CancellationToken token) {
        return expirePendingTap(self, endedAt, wait, token);
    });
}

QCoro::Task<> DictationCoordinator::expirePendingTap(QPointer<DictationCoordinator> self, double endedAt, double wait,
                                                     CancellationToken token)
{
    if (!self)
        co_return;
    const Tick tick = self->m_continuousTick;
    auto sleeping = tick(wait);
    co_await sleeping;
    if (!self || token.isCancelled())
        co_return;
    const auto &pending = self->m_pendingTap;
    if (!pending || pending->endedAt != endedAt || !self->m_gestures.hasExpired(*pending, self->m_clock->now()))
        co_return;
    // A second press that came within the window may still be down: its
    // release decides between a double tap and a hold.
    const auto &secondPress = self->m_recordingStartedAt;
    if (self->m_state.is(Kind::recording) && secondPress && self->m_gestures.pairsWith(*pending, *secondPress))
        co_return;
    self->m_pendingTap.reset();
    if (self->m_state.is(Kind::idle))
        self->setState(DictationState::cancelled(DictationCancelReason::tooShort));
}

void DictationCoordinator::cancelPendingTap()
{
    if (m_pendingTapTask.isValid())
        m_pendingTapTask.cancel();
    m_pendingTapTask = CancellableTask();
    m_pendingTap.reset();
}

void DictationCoordinator::cancelAllTasks()
{
    m_releaseTask.cancel();
    m_continuousSessionActive = false;
    m_continuousTask.cancel();
    m_continuousTask = CancellableTask();
    // Every phrase still in the chain, not only the newest: nothing may be
    // typed after the user cancelled or the machine went to sleep.
    for (auto &phrase : m_phraseTasks)
        phrase.cancel();
    m_phraseTasks.clear();
    m_phraseQueue.cancel();
    m_phraseQueue = CancellableTask();
    cancelPendingTap();
}

void DictationCoordinator::cancel(DictationCancelReason reason)
{
    if (m_state.isAtRest() && !m_continuousSessionActive)
        return;
    cancelAllTasks();
    const bool wasCapturing = m_state.isCapturing();
    const bool microphoneWasOpen = m_capture->isRunning();
    if (microphoneWasOpen)
        m_capture->stop();
    m_recordingStartedAt.reset();
    unregisterCancelKey();
    // The stop cue means "the microphone closed"; after a session already
    // stopped (its final phrase still transcribing) it has sounded once.
    if (wasCapturing && microphoneWasOpen)
        playCue(DictationCue::stop);
    setState(DictationState::cancelled(reason));
}

void DictationCoordinator::deactivate()
{
    cancelAllTasks();
    m_hotkeys->unregisterAll();
    m_hotkeys->setOnEvent(nullptr);
    if (m_capture->isRunning())
        m_capture->stop();
    m_recordingStartedAt.reset();
    setState(DictationState::idle());
}

void DictationCoordinator::startContinuousListening()
{
    if (!m_state.isAtRest() && !m_state.is(Kind::recording))
        return;
    // From `recording` this is the second tap of a double tap: its press has
    // just played the start cue, and playing it again a moment later would
    // only restart the same tone.
    const bool startCuePlayed = m_state.is(Kind::recording);
    if (startCuePlayed && m_capture->isRunning())
        m_capture->discard();
    m_recordingStartedAt.reset();

    m_focusContext = m_focus ? m_focus->capture() : FocusContext::unknown();
    m_hasDeliveredThisSession = false;
    m_lastDeliveredPhrase.reset();
    try {
        m_capture->start();
    } catch (...) {
        const auto error = std::current_exception();
        logFailure(QStringLiteral("could not start continuous listening"), error);
        unregisterCancelKey(); // a double tap left Escape claimed
        setState(DictationState::failed(QStringLiteral("Could not start recording: ") + userDescription(error)));
        return;
    }
    if (!startCuePlayed)
        playCue(DictationCue::start);
    registerCancelKey();
    m_continuousSessionActive = true;
    setState(DictationState::listening(false));
    m_continuousTask = CancellableTask::start(
        [self = QPointer(this)](CancellationToken token) { return runSegmentingLoop(self, token); });
}

QCoro::Task<> DictationCoordinator::runSegmentingLoop(QPointer<DictationCoordinator> self, CancellationToken token)
{
    if (!self)
        co_return;
    const auto clock = self->m_clock;
    const auto capture = self->m_capture;
    const Tick tick = self->m_continuousTick;
    const SpeechSegmenter segmenter = self->m_segmenter;
    self->m_continuousSegState = SpeechSegmenter::State(clock->now());
    double lastHeardAt = clock->now();

    while (!token.isCancelled() && self->m_continuousSessionActive) {
        auto sleeping = tick(continuousTickSeconds);
        co_await sleeping;
        if (!self || token.isCancelled() || !self->m_continuousSessionActive)
            break;
        if (!capture->isRunning()) {
            log(QStringLiteral("continuous session: capture stopped underneath us"));
            break;
        }
        const double now = clock->now();
        const float level = capture->inputLevel();
        if (segmenter.isSpeech(level))
            lastHeardAt = now;
        if (SpeechSegmenter::shouldGiveUp(lastHeardAt, now, silenceGiveUpSeconds)) {
            self->stopContinuousListening();
            break;
        }
        const auto decision = segmenter.advance(self->m_continuousSegState, level, now);
        if (!decision.isEndPhrase())
            continue;
        std::vector<float> samples = capture->drain();
        const SpeechSegmenter::State phrase = self->m_continuousSegState;
        const bool worth = segmenter.isWorthTranscribing(phrase);
        self->m_continuousSegState = SpeechSegmenter::State(clock->now());
        log(QStringLiteral("phrase cut: ") + phraseStats(samples.size(), segmenter, phrase)
            + QStringLiteral(", transcribing ") + (worth ? QStringLiteral("true") : QStringLiteral("false")));
        if (!samples.empty() && worth)
            self->enqueuePhrase(std::move(samples), false);
    }

    // A cancelled loop changes nothing: a newer session may own the flags now.
    if (!self || token.isCancelled() || !self->m_continuousSessionActive)
        co_return;
    log(QStringLiteral("continuous loop ended without stopContinuousListening; cleaning up"));
    self->m_continuousSessionActive = false;
    self->m_continuousTask = CancellableTask();
    if (capture->isRunning())
        capture->stop();
    self->unregisterCancelKey();
    if (self->isListeningContinuously())
        self->endSessionAfterQueuedPhrases();
}

void DictationCoordinator::enqueuePhrase(std::vector<float> samples, bool isFinal)
{
    std::erase_if(m_phraseTasks, [](const CancellableTask &task) { return task.isFinished(); });
    CancellableTask previous = m_phraseQueue;
    m_phraseQueue = CancellableTask::start(
        [self = QPointer(this), previous, samples = std::move(samples), isFinal](CancellationToken token) {
            return runPhrase(self, previous, samples, isFinal, token);
        });
    if (!m_phraseQueue.isFinished())
        m_phraseTasks.push_back(m_phraseQueue);
}

void DictationCoordinator::endSessionAfterQueuedPhrases()
{
    // Phrases still in the chain keep the session's look and separators until
    // they are delivered; the end marker closes the session after them.
    if (m_phraseQueue.isValid() && !m_phraseQueue.isFinished()) {
        enqueuePhrase({}, true);
        return;
    }
    cancelPendingTap();
    setState(DictationState::idle());
}

QCoro::Task<> DictationCoordinator::runPhrase(QPointer<DictationCoordinator> self, CancellableTask previous,
                                              std::vector<float> samples, bool isFinal, CancellationToken token)
{
    auto previousDone = previous.finished();
    co_await previousDone;
    if (!self || token.isCancelled())
        co_return;
    if (!samples.empty()) {
        if (self->isListeningContinuously())
            self->setState(DictationState::listening(true));
        auto phrase = transcribeAndDeliver(self, std::move(samples), token);
        co_await phrase;
        if (!self || token.isCancelled())
            co_return;
        if (self->isListeningContinuously())
            self->setState(DictationState::listening(false));
    }
    // A final phrase that failed leaves its failure showing.
    if (isFinal && self->isListeningContinuously()) {
        self->cancelPendingTap();
        self->setState(DictationState::idle());
    }
}

QCoro::Task<bool> DictationCoordinator::transcribeAndDeliver(QPointer<DictationCoordinator> self,
                                                             std::vector<float> samples, CancellationToken token)
{
    auto pipeline = transcribeCleanAndPolish(self, std::move(samples), token);
    PipelineResult result = co_await pipeline;
    if (!self || token.isCancelled())
        co_return false;
    switch (result.outcome) {
    case PipelineResult::Outcome::abandoned:
    case PipelineResult::Outcome::empty:
        co_return false;
    case PipelineResult::Outcome::engineFailed:
        if (self->m_continuousSessionActive) {
            logFailure(QStringLiteral("phrase failed to transcribe; session continues"), result.error);
        } else {
            logFailure(QStringLiteral("final phrase failed to transcribe"), result.error);
            self->setState(
                DictationState::failed(QStringLiteral("Transcription failed: ") + userDescription(result.error)));
        }
        co_return false;
    case PipelineResult::Outcome::text:
        break;
    }

    const QString text = result.text;
    if (self->m_onTranscript)
        self->m_onTranscript(text);
    if (!self || token.isCancelled())
        co_return false;
    QString payload = text;
    const bool inSession = self->isListeningContinuously();
    if (inSession) {
        // Each phrase goes wherever the user is typing now.
        if (self->m_focus)
            self->m_focusContext = self->m_focus->capture();
        if (self->m_hasDeliveredThisSession)
            payload = PhraseJoiner::separator(self->m_lastDeliveredPhrase, text) + text;
    }
    if (auto delivery = self->m_delivery) {
        try {
            auto delivering = delivery->deliver(payload, self->m_focusContext);
            co_await delivering;
        } catch (const std::exception &error) {
            logError(QStringLiteral("delivery"), error);
        }
    }
    if (!self || token.isCancelled())
        co_return true;
    if (inSession) {
        self->m_hasDeliveredThisSession = true;
        self->m_lastDeliveredPhrase = text;
    }
    co_return true;
}

void DictationCoordinator::stopContinuousListening()
{
    if (!m_continuousSessionActive)
        return;
    m_continuousSessionActive = false;
    m_continuousTask.cancel();
    m_continuousTask = CancellableTask();
    unregisterCancelKey();
    std::vector<float> tail = m_capture->stop();
    m_recordingStartedAt.reset();
    playCue(DictationCue::stop);
    log(QStringLiteral("stopping: tail ") + phraseStats(tail.size(), m_segmenter, m_continuousSegState));
    if (!tail.empty() && m_segmenter.isWorthTranscribing(m_continuousSegState))
        enqueuePhrase(std::move(tail), true);
    else
        endSessionAfterQueuedPhrases();
}

void DictationCoordinator::setState(const DictationState &state)
{
    if (state == m_state)
        return;
    m_state = state;
    if (m_onStateChange) {
        const DictationState reported = m_state; // a listener may change the state again
        m_onStateChange(reported);
    }
}

void DictationCoordinator::playCue(DictationCue cue)
{
    if (m_sounds)
        m_sounds->play(cue);
}

} // namespace parlowind
