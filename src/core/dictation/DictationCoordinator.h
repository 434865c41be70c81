#pragma once

#include "DictationCue.h"
#include "DictationState.h"
#include "SpeechSegmenter.h"
#include "cleanup/CleanupPipeline.h"
#include "cleanup/FillerAggressiveness.h"
#include "hotkeys/HotkeyBinding.h"
#include "hotkeys/TapGestureRecogniser.h"
#include "injection/FocusContext.h"
#include "support/CancellableTask.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace parlowind {

class AudioCapturing;
class FocusCapturing;
class HotkeyRegistering;
class InitialPromptProviding;
class MonotonicClock;
class SoundPlaying;
class TranscriptDelivering;
class TranscriptionEngine;
class TranscriptPolishing;

// The state machine behind dictation. It turns presses and releases of the
// dictation key into push-to-talk recordings (hold), continuous listening
// (double tap) or nothing (a lone tap), runs each recording through the
// speech engine, the cleanup rules and the optional polish, and hands the text
// to delivery. Every effect goes through a collaborator interface, so the
// whole machine runs against fakes and a fake clock.
//
// Confined to the UI thread. Its transcriptions, the continuous-listening loop,
// the phrase tasks and the pending-tap timer are cooperative tasks on that
// thread; each holds the coordinator weakly and, once cancelled, does nothing
// after it next resumes.
class DictationCoordinator final : public QObject
{
public:
    static constexpr double minimumRecordingSeconds = 0.3;
    static constexpr double silenceGiveUpSeconds = 600;
    static constexpr double continuousTickSeconds = 0.1;
    static constexpr double pendingTapGraceSeconds = 0.05;
    static constexpr int initialPromptMaxTokens = 224;
    static constexpr int promptTailLimit = 100;
    static constexpr double samplesPerSecond = 16000;

    struct Collaborators
    {
        // Required.
        std::shared_ptr<AudioCapturing> capture;
        std::shared_ptr<TranscriptionEngine> engine;
        std::shared_ptr<HotkeyRegistering> hotkeys;
        std::shared_ptr<MonotonicClock> clock;
        // Optional: each may be left empty.
        std::shared_ptr<FocusCapturing> focus;
        std::shared_ptr<TranscriptDelivering> delivery;
        std::optional<CleanupPipeline> cleanup;
        std::shared_ptr<const InitialPromptProviding> dictionary;
        std::shared_ptr<TranscriptPolishing> polisher;
        std::shared_ptr<SoundPlaying> sounds;
    };

    // The desktop's double-click interval in seconds; read at construction
    // and again whenever a lone tap is left waiting.
    using DoubleClickInterval = std::function<double()>;

    // An awaitable sleep of the given seconds that returns normally even when
    // its task is cancelled meanwhile.
    using Tick = std::function<QCoro::Task<>(double seconds)>;

    using TranscriptHandler = std::function<void(const QString &text)>;
    using StateHandler = std::function<void(const DictationState &state)>;
    using PolishingHandler = std::function<void(bool isPolishing)>;

    // Throws std::invalid_argument when a required collaborator is missing.
    // Without `doubleClickInterval` the desktop is taken to have none.
    explicit DictationCoordinator(Collaborators collaborators, DoubleClickInterval doubleClickInterval = {});
    ~DictationCoordinator() override;

    DictationCoordinator(const DictationCoordinator &) = delete;
    DictationCoordinator &operator=(const DictationCoordinator &) = delete;

    // Installs the key handler, then claims `dictation`. The handler stays
    // installed when the claim fails; the HotkeyError goes to the caller.
    void activate(const HotkeyBinding &dictation);

    // Stops everything without a cue, releases every key, removes the
    // handler and returns to idle.
    void deactivate();

    // Starts a push-to-talk recording when nothing else is going on.
    void beginRecording();

    // Ends the recording as a hold would and completes when its text has been
    // delivered (or the attempt ended otherwise).
    QCoro::Task<> endRecording();

    // Abandons whatever is in progress; nothing is delivered afterwards.
    void cancel(DictationCancelReason reason);

    void startContinuousListening();
    void stopContinuousListening();

    const DictationState &state() const { return m_state; }
    const FocusContext &focusContext() const { return m_focusContext; }
    bool isListeningContinuously() const { return m_state.is(DictationState::Kind::listening); }
    const TapGestureRecogniser &gestures() const { return m_gestures; }
    const SpeechSegmenter &segmenter() const { return m_segmenter; }
    const std::optional<QString> &lastDeliveredPhrase() const { return m_lastDeliveredPhrase; }

    void setOnTranscript(TranscriptHandler handler) { m_onTranscript = std::move(handler); }
    void setOnStateChange(StateHandler handler) { m_onStateChange = std::move(handler); }
    void setOnPolishingChange(PolishingHandler handler) { m_onPolishingChange = std::move(handler); }

    bool isSuspendedForMeeting() const { return m_isSuspendedForMeeting; }
    void setSuspendedForMeeting(bool suspended) { m_isSuspendedForMeeting = suspended; }

    const std::optional<QString> &language() const { return m_language; }
    void setLanguage(std::optional<QString> language) { m_language = std::move(language); }

    FillerAggressiveness fillerAggressiveness() const { return m_fillerAggressiveness; }
    void setFillerAggressiveness(FillerAggressiveness level) { m_fillerAggressiveness = level; }

    // The sleep of the continuous loop and the pending-tap timer; by default
    // the clock's.
    void setContinuousTick(Tick tick);

private:
    struct PipelineResult;

    void handleKeyEvent(HotkeyID id, HotkeyPhase phase);
    void handleRelease();
    std::optional<std::vector<float>> prepareEnd();
    CancellableTask startReleaseTask(std::vector<float> samples);
    void armPendingTapTimer();
    void cancelPendingTap();
    void cancelAllTasks();
    void enqueuePhrase(std::vector<float> samples, bool isFinal);
    void endSessionAfterQueuedPhrases();

    void setState(const DictationState &state);
    void registerCancelKey();
    void unregisterCancelKey();
    void playCue(DictationCue cue);
    double currentDoubleTapWindow() const;
    std::optional<QString> buildPrompt() const;

    static QCoro::Task<PipelineResult> transcribeCleanAndPolish(QPointer<DictationCoordinator> self,
                                                                std::vector<float> samples, CancellationToken token);
    static QCoro::Task<> finishTranscribing(QPointer<DictationCoordinator> self, std::vector<float> samples,
                                            CancellationToken token);
    static QCoro::Task<> expirePendingTap(QPointer<DictationCoordinator> self, double endedAt, double wait,
                                          CancellationToken token);
    static QCoro::Task<> runSegmentingLoop(QPointer<DictationCoordinator> self, CancellationToken token);
    static QCoro::Task<> runPhrase(QPointer<DictationCoordinator> self, CancellableTask previous,
                                   std::vector<float> samples, bool isFinal, CancellationToken token);
    static QCoro::Task<bool> transcribeAndDeliver(QPointer<DictationCoordinator> self, std::vector<float> samples,
                                                  CancellationToken token);

    std::shared_ptr<AudioCapturing> m_capture;
    std::shared_ptr<TranscriptionEngine> m_engine;
    std::shared_ptr<HotkeyRegistering> m_hotkeys;
    std::shared_ptr<MonotonicClock> m_clock;
    std::shared_ptr<FocusCapturing> m_focus;
    std::shared_ptr<TranscriptDelivering> m_delivery;
    std::optional<CleanupPipeline> m_cleanup;
    std::shared_ptr<const InitialPromptProviding> m_dictionary;
    std::shared_ptr<TranscriptPolishing> m_polisher;
    std::shared_ptr<SoundPlaying> m_sounds;
    DoubleClickInterval m_doubleClickInterval;

    std::optional<double> m_recordingStartedAt;
    TapGestureRecogniser m_gestures;
    SpeechSegmenter m_segmenter;
    std::optional<TapGestureRecogniser::PendingTap> m_pendingTap;
    CancellableTask m_pendingTapTask;

    CancellableTask m_continuousTask;
    SpeechSegmenter::State m_continuousSegState;
    bool m_hasDeliveredThisSession = false;
    std::optional<QString> m_lastDeliveredPhrase;
    bool m_continuousSessionActive = false;
    CancellableTask m_phraseQueue; // the newest phrase task
    std::vector<CancellableTask> m_phraseTasks; // every phrase task not yet finished
    Tick m_continuousTick;

    FocusContext m_focusContext;
    CancellableTask m_releaseTask;
    DictationState m_state;
    TranscriptHandler m_onTranscript;
    StateHandler m_onStateChange;
    PolishingHandler m_onPolishingChange;
    bool m_isSuspendedForMeeting = false;
    std::optional<QString> m_language = QStringLiteral("en");
    FillerAggressiveness m_fillerAggressiveness = FillerAggressiveness::conservative;
};

} // namespace parlowind
