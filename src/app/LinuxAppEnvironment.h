#pragma once

#include "AppEnvironment.h"

#include <memory>

namespace parlowind {

class LevelMeter;
class SettingsStore;

// The real collaborators on a Linux desktop: PulseAudio for the microphone
// and device changes, logind for sleep, AT-SPI and the input devices for the
// accessibility gate, the model folder, whisper.cpp, the key backends this
// session supports with the control channel, and the injection tiers.
class LinuxAppEnvironment final : public AppEnvironment
{
public:
    // `levelMeter` is shared with the HUD; `settings` outlives this object.
    LinuxAppEnvironment(std::shared_ptr<LevelMeter> levelMeter, SettingsStore &settings);
    ~LinuxAppEnvironment() override;

    int pruneHistory() override;
    void prepareCleanup() override;
    void preparePolisher() override;

    QCoro::Task<bool> requestMicrophone() override;
    bool microphoneAuthorised() override;
    bool accessibilityTrusted() override;
    void requestAccessibility() override;
    bool accessibilityWorks() override;

    bool isDownloaded(const WhisperModel &model) override;
    QList<WhisperModel> installedModels() override;
    QCoro::Task<> download(WhisperModel model, Progress progress, CancellationToken token) override;
    bool invalidateIfUnverified(const WhisperModel &model) override;
    QCoro::Task<std::shared_ptr<TranscriptionEngine>> loadEngine(WhisperModel model) override;

    std::unique_ptr<DictationCoordinator> makeCoordinator(std::shared_ptr<TranscriptionEngine> engine) override;
    void watchInterruptions(std::function<void()> onDeviceChanged, std::function<void()> onSleep) override;
    void relaunch() override;
    void releaseServices() override;
    MonotonicClock &clock() override;

private:
    struct Services;
    std::unique_ptr<Services> m_services;
};

} // namespace parlowind
