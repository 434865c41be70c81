#pragma once

#include "dictation/DictationCoordinator.h"
#include "speech/WhisperModel.h"
#include "support/CancellableTask.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace parlowind {

class TranscriptionEngine;

// Everything the shell's start-up reaches outside itself: the permission
// checks, the model files, the engine, the services the coordinator works
// with and the system's interruptions. The application gives the Linux
// implementation; tests give a recording fake, so the order of start-up is
// checked without a desktop.
class AppEnvironment
{
public:
    using Progress = std::function<void(double fraction)>;

    virtual ~AppEnvironment() = default;

    // First half of start-up. Returns the number of history entries pruned.
    virtual int pruneHistory() = 0;
    virtual void prepareCleanup() = 0;
    virtual void preparePolisher() = 0;

    // The microphone gate: the sound server answers and has a source.
    virtual QCoro::Task<bool> requestMicrophone() = 0;
    virtual bool microphoneAuthorised() = 0;
    // The accessibility gate: AT-SPI on, and the keys and the paste can be
    // had. `accessibilityTrusted` is true when the grant exists even if this
    // session cannot use it yet (the input group before a new login).
    virtual bool accessibilityTrusted() = 0;
    virtual void requestAccessibility() = 0;
    virtual bool accessibilityWorks() = 0;

    // Model files (see ModelStore).
    virtual bool isDownloaded(const WhisperModel &model) = 0;
    virtual QList<WhisperModel> installedModels() = 0;
    virtual QCoro::Task<> download(WhisperModel model, Progress progress, CancellationToken token) = 0;
    virtual bool invalidateIfUnverified(const WhisperModel &model) = 0;

    // A loaded engine for the model with the voice-activity model; throws
    // when it cannot be loaded.
    virtual QCoro::Task<std::shared_ptr<TranscriptionEngine>> loadEngine(WhisperModel model) = 0;

    // The coordinator over the loaded engine and every other collaborator
    // (capture, keys, focus, delivery, cleanup, polish, cues).
    virtual std::unique_ptr<DictationCoordinator> makeCoordinator(std::shared_ptr<TranscriptionEngine> engine) = 0;

    // Calls the handlers on the UI thread when the audio devices change and
    // when the computer is about to sleep.
    virtual void watchInterruptions(std::function<void()> onDeviceChanged, std::function<void()> onSleep) = 0;

    // Starts a fresh instance of the application and ends this one.
    virtual void relaunch() = 0;

    // Releases what makeCoordinator built besides the coordinator.
    virtual void releaseServices() = 0;

    virtual MonotonicClock &clock() = 0;
};

} // namespace parlowind
